#pragma once

#include <QAbstractButton>

// An on/off switch. Like every QAbstractButton it emits clicked() only for a
// change the user makes, after the new state is taken; setChecked() from code
// changes the state silently, as the settings loader needs.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT

  public:
    explicit ToggleSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};
