#include "lumetra2stylesheet.h"

namespace {

// Accent rgba(252, 10, 53) with the alphas used for borders, fills and pressed states.
const char *const Sheet = R"(
QWidget { background: transparent; color: rgba(255, 255, 255, 255); }
QToolTip { background-color: rgba(20, 20, 20, 230); color: white; border: 1px solid rgba(252, 10, 53, 180); }
QPushButton {
    background-color: rgba(252, 10, 53, 40);
    border: 1px solid rgba(252, 10, 53, 150);
    color: rgba(255, 255, 255, 255);
}
QPushButton:hover { background-color: rgba(252, 10, 53, 110); border: 1px solid rgba(252, 10, 53, 200); }
QPushButton:pressed { background-color: rgba(252, 10, 53, 160); }
QPushButton:checked { background-color: rgba(252, 10, 53, 180); border: 1px solid rgba(252, 10, 53, 255); }
QPushButton:disabled { color: rgba(255, 255, 255, 90); border: 1px solid rgba(252, 10, 53, 60); }
QSpinBox, QLineEdit {
    font-family: "Arial";
    background-color: rgba(252, 10, 53, 30);
    border: 1px solid rgba(252, 10, 53, 150);
    color: white;
    selection-background-color: rgba(252, 10, 53, 180);
}
QSpinBox:disabled, QLineEdit:disabled {
    background-color: rgba(255, 255, 255, 8);
    border: 1px solid rgba(252, 10, 53, 50);
    color: rgba(255, 255, 255, 90);
}
QComboBox { border: none; color: white; }
QComboBox QAbstractItemView {
    background-color: rgba(20, 20, 20, 240);
    border: 1px solid rgba(252, 10, 53, 150);
    selection-background-color: rgba(252, 10, 53, 150);
    color: white;
    outline: 0px;
}
QMenu { background-color: rgba(20, 20, 20, 240); border: 1px solid rgba(252, 10, 53, 150); color: white; }
QMenu::item:selected { background-color: rgba(252, 10, 53, 150); }
QCheckBox, QRadioButton { background: transparent; color: white; }
QCheckBox::indicator, QRadioButton::indicator { width: 16px; height: 16px; }
QCheckBox::indicator:unchecked { image: url(:/images/images/checkButton/checkbox_unchecked.png); }
QCheckBox::indicator:unchecked:hover { image: url(:/images/images/checkButton/checkbox_hover_unchecked.png); }
QCheckBox::indicator:checked { image: url(:/images/images/checkButton/checkbox_checked.png); }
QCheckBox::indicator:checked:hover { image: url(:/images/images/checkButton/checkbox_hover_checked.png); }
QCheckBox::indicator:unchecked:disabled { image: url(:/images/images/checkButton/checkbox_disabled_unchecked.png); }
QCheckBox::indicator:checked:disabled { image: url(:/images/images/checkButton/checkbox_disabled_checked.png); }
QRadioButton::indicator:unchecked { image: url(:/images/images/checkButton/radio_unchecked.png); }
QRadioButton::indicator:unchecked:hover { image: url(:/images/images/checkButton/radio_hover_unchecked.png); }
QRadioButton::indicator:checked { image: url(:/images/images/checkButton/radio_checked.png); }
QRadioButton::indicator:checked:hover { image: url(:/images/images/checkButton/radio_hover_checked.png); }
QRadioButton::indicator:unchecked:disabled { image: url(:/images/images/checkButton/radio_disabled_unchecked.png); }
QRadioButton::indicator:checked:disabled { image: url(:/images/images/checkButton/radio_disabled_checked.png); }
QRadioButton[twinChosen="true"]::indicator:unchecked { image: url(:/images/images/checkButton/radio_checked.png); }
QRadioButton[twinChosen="true"]::indicator:unchecked:hover { image: url(:/images/images/checkButton/radio_hover_checked.png); }
QCheckBox#CbLCD::indicator { width: 80px; height: 20px; }
QCheckBox#CbLCD::indicator:unchecked { image: url(:/images/images/hightPerformanceSwitch/hps_off.png); }
QCheckBox#CbLCD::indicator:unchecked:hover { image: url(:/images/images/hightPerformanceSwitch/hps_over.png); }
QCheckBox#CbLCD::indicator:checked { image: url(:/images/images/hightPerformanceSwitch/hps_on.png); }
QPushButton#ResetDynamicColors { border: none; background: transparent; image: url(:/images/images/resetButton/reset.png); }
QPushButton#ResetDynamicColors:hover { image: url(:/images/images/resetButton/hover_reset.png); }
QPushButton#ResetDynamicColors:pressed { image: url(:/images/images/resetButton/click_reset.png); }
QPushButton#ResetDynamicColors:disabled { image: url(:/images/images/resetButton/disabled_reset.png); }
QPushButton#btnClose { border: none; background: transparent; image: url(:/images/images/toolButton/close.png); }
QPushButton#btnClose:hover { image: url(:/images/images/toolButton/hover_close.png); }
QPushButton#btnClose:pressed { image: url(:/images/images/toolButton/click_close.png); }
QPushButton#btnSetting { border: none; background: transparent; image: url(:/images/images/toolButton/setting.png); }
QPushButton#btnSetting:hover { image: url(:/images/images/toolButton/hover_setting.png); }
QPushButton#btnSetting:pressed { image: url(:/images/images/toolButton/click_setting.png); }
QPushButton#btnMinimize {
    border: none; background: transparent; image: url(:/images/images/toolButton/minimize.png);
}
QPushButton#btnMinimize:hover { image: url(:/images/images/toolButton/hover_minimize.png); }
QPushButton#btnMinimize:pressed { image: url(:/images/images/toolButton/click_minimize.png); }
QPushButton#btnGpuFixedInfo {
    border: none; background: transparent; image: url(:/images/images/infobutton/normal.png);
}
QPushButton#btnGpuFixedInfo:hover { image: url(:/images/images/infobutton/over.png); }
QPushButton#btnGpuFixedInfo:pressed, QPushButton#btnGpuFixedInfo:checked {
    image: url(:/images/images/infobutton/click.png);
}
QPushButton#btnHighPerformance {
    border: none; background: transparent; color: white;
    border-image: url(:/images/images/hightPerformanceSwitch/hps_off.png);
}
QPushButton#btnHighPerformance:hover { border-image: url(:/images/images/hightPerformanceSwitch/hps_over.png); }
QPushButton#btnHighPerformance:checked { border-image: url(:/images/images/hightPerformanceSwitch/hps_on.png); }
)";

} // namespace

QString lumetra2StyleSheet()
{
    return QString::fromUtf8(Sheet);
}
