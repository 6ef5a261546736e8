// The Setup tab: the browse button and the three clear buttons.
#include "app/Tabbedtemplate.h"

// The hint shows the path after every use of the dialog, also a cancelled one.
void TTabbedForm::btnOpenFileDialogClick() {
    if (OpenDialog1.execute()) {
        edProgFilePath->setText(OpenDialog1.fileName());
    }
    edProgFilePath->setToolTip(edProgFilePath->text());
}

void TTabbedForm::btnClearServiceNameClick() {
    edServiceName->clear();
}

void TTabbedForm::btnClearProgFilePathClick() {
    edProgFilePath->clear();
}

void TTabbedForm::btnClearProgParamsClick() {
    edProgParams->clear();
}
