#pragma once

/// Every embedded image. Names inside the folders of the style-sheet images (tool buttons, info button,
/// check and radio indicators, reset button) are ours; the rest are the names the views load.
namespace LumetraImages {

/// Main window
constexpr char Background[] = ":/images/images/background.png"; // 800 x 507
constexpr char FirstTabOff[] = ":/images/images/TopButton/first_off.png"; // 158 x 28
constexpr char FirstTabOn[] = ":/images/images/TopButton/first_on.png"; // 182 x 28
constexpr char SecondTabOff[] = ":/images/images/TopButton/second_off.png"; // 145 x 28
constexpr char SecondTabOn[] = ":/images/images/TopButton/second_on.png"; // 225 x 28
constexpr char WindowIcon[] = ":/images/images/icon.png"; // 256 x 256

/// Tool buttons "btnSetting", "btnMinimize", "btnClose", 19 x 19: normal, "hover_" and "click_"
constexpr char SettingButton[] = ":/images/images/toolButton/setting.png";
constexpr char SettingButtonHover[] = ":/images/images/toolButton/hover_setting.png";
constexpr char SettingButtonClick[] = ":/images/images/toolButton/click_setting.png";
constexpr char MinimizeButton[] = ":/images/images/toolButton/minimize.png";
constexpr char MinimizeButtonHover[] = ":/images/images/toolButton/hover_minimize.png";
constexpr char MinimizeButtonClick[] = ":/images/images/toolButton/click_minimize.png";
constexpr char CloseButton[] = ":/images/images/toolButton/close.png";
constexpr char CloseButtonHover[] = ":/images/images/toolButton/hover_close.png";
constexpr char CloseButtonClick[] = ":/images/images/toolButton/click_close.png";

/// "btnGpuFixedInfo", 20 x 20: normal, over, click (also when checked)
constexpr char InfoButton[] = ":/images/images/infobutton/normal.png";
constexpr char InfoButtonOver[] = ":/images/images/infobutton/over.png";
constexpr char InfoButtonClick[] = ":/images/images/infobutton/click.png";

/// "btnHighPerformance", 80 x 20; the button's text "On   Off" lies over the two halves
constexpr char HighPerformanceOff[] = ":/images/images/hightPerformanceSwitch/hps_off.png";
constexpr char HighPerformanceOn[] = ":/images/images/hightPerformanceSwitch/hps_on.png";
constexpr char HighPerformanceOver[] = ":/images/images/hightPerformanceSwitch/hps_over.png";

/// Check box and radio indicators of the application style sheet, 16 x 16
constexpr char CheckBoxUnchecked[] = ":/images/images/checkButton/checkbox_unchecked.png";
constexpr char CheckBoxUncheckedHover[] = ":/images/images/checkButton/checkbox_hover_unchecked.png";
constexpr char CheckBoxChecked[] = ":/images/images/checkButton/checkbox_checked.png";
constexpr char CheckBoxCheckedHover[] = ":/images/images/checkButton/checkbox_hover_checked.png";
constexpr char CheckBoxUncheckedDisabled[] = ":/images/images/checkButton/checkbox_disabled_unchecked.png";
constexpr char CheckBoxCheckedDisabled[] = ":/images/images/checkButton/checkbox_disabled_checked.png";
constexpr char RadioUnchecked[] = ":/images/images/checkButton/radio_unchecked.png";
constexpr char RadioUncheckedHover[] = ":/images/images/checkButton/radio_hover_unchecked.png";
constexpr char RadioChecked[] = ":/images/images/checkButton/radio_checked.png";
constexpr char RadioCheckedHover[] = ":/images/images/checkButton/radio_hover_checked.png";
constexpr char RadioUncheckedDisabled[] = ":/images/images/checkButton/radio_disabled_unchecked.png";
constexpr char RadioCheckedDisabled[] = ":/images/images/checkButton/radio_disabled_checked.png";

/// "ResetDynamicColors" of the LED page, 21 x 21
constexpr char ResetButton[] = ":/images/images/resetButton/reset.png";
constexpr char ResetButtonHover[] = ":/images/images/resetButton/hover_reset.png";
constexpr char ResetButtonClick[] = ":/images/images/resetButton/click_reset.png";
constexpr char ResetButtonDisabled[] = ":/images/images/resetButton/disabled_reset.png";

/// Message box
constexpr char MessageBoxBackground[] = ":/images/images/messageBox/msgbkground.png"; // 320 x 179
constexpr char MessageBoxUnchecked[] = ":/images/images/messageBox/unchecked.png"; // 18 x 18
constexpr char MessageBoxUncheckedHover[] = ":/images/images/messageBox/hover_unchecked.png";
constexpr char MessageBoxChecked[] = ":/images/images/messageBox/checked.png";
constexpr char MessageBoxCheckedHover[] = ":/images/images/messageBox/hover_checked.png";

/// Slider rows
constexpr char SliderCap[] = ":/images/images/slider/background_slider.png"; // 23 x 9
constexpr char SliderCapDisabled[] = ":/images/images/slider/disable_background_slider.png"; // 23 x 9
constexpr char SliderTrack[] = ":/images/images/slider/void_slider.png"; // 190 x 9
constexpr char SliderFill[] = ":/images/images/slider/full_slider.png"; // 190 x 9
constexpr char SliderDisabled[] = ":/images/images/slider/disable_slider.png"; // 190 x 9

/// Settings page and background effects; the alpha of the two masks decides which pixels take the mouse
constexpr char SettingBackground[] = ":/images/images/SettingBKImage.png"; // 511 x 466
constexpr char EffectsMask[] = ":/images/images/maskBKImage.png"; // 766 x 472
constexpr char CenterLogo[] = ":/images/images/centerLogo.png"; // 148 x 116
constexpr char Emblem[] = ":/images/images/logo.png"; // 485 x 388

} // namespace LumetraImages
