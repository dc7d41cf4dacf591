#pragma once

/// The embedded font files, in the order start-up registers them.
constexpr char KuHeiFontPath[] = ":/font/font/kuhei.TTF";
constexpr char SpaceAgeFontPath[] = ":/font/font/SpaceAge.ttf";
constexpr char DigitalFontPath[] = ":/font/font/DS-Digital.TTF";

/// The families the views ask for, and the free fonts that stand in for them.
constexpr char KuHeiFamily[] = "Tervan_KuHei";
constexpr char DefaultUiFamily[] = "微软雅黑";
constexpr char SpaceAgeFamily[] = "Space Age";
constexpr char DigitalFamily[] = "DS-Digital";

constexpr char EmbeddedKuHeiFamily[] = "WenQuanYi Micro Hei";
constexpr char EmbeddedSpaceAgeFamily[] = "Comfortaa";
constexpr char EmbeddedDigitalFamily[] = "DSEG14 Classic";
