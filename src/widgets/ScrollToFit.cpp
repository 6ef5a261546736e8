#include "widgets/ScrollToFit.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>

void scrollToFit(QWidget& window, int availableHeight) {
    const QSize designed = window.size();
    if (availableHeight >= designed.height()) {
        return;
    }
    // The contents keep the window's size and every position in it; the
    // window's own background (its style sheet) shows through.
    auto* contents = new QWidget;
    contents->setObjectName(QStringLiteral("ScrolledContents"));
    contents->setFixedSize(designed);
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) {
            continue;
        }
        const bool shown = child->isVisibleTo(&window);
        child->setParent(contents);
        child->setVisible(shown);
    }
    auto* scroll = new QScrollArea(&window);
    scroll->setObjectName(QStringLiteral("ScrollToFit"));
    scroll->setFrameShape(QFrame::NoFrame);
    // Tab moves through the controls, not to the area itself.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroll->setWidget(contents);
    contents->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);

    const QSize fitted(designed.width() + scroll->verticalScrollBar()->sizeHint().width(),
                       availableHeight);
    window.setMinimumSize(fitted);
    window.setMaximumSize(fitted);
    window.resize(fitted);
    scroll->setGeometry(QRect(QPoint(), fitted));

    // The area follows the focus, however it moves (Tab, a mnemonic, a
    // click), and shows the whole control: the area's own following of Tab
    // shows only a field's text cursor, and not its frame.
    QObject::connect(qApp, &QApplication::focusChanged, scroll, [scroll](QWidget*, QWidget* now) {
        if (now != nullptr && scroll->widget()->isAncestorOf(now)) {
            const QRect area(now->mapTo(scroll->widget(), QPoint()), now->size());
            scroll->ensureVisible(area.center().x(), area.center().y(), area.width() / 2 + 1,
                                  area.height() / 2 + 1);
        }
    });
}
