#pragma once

/// The UI language; the values are stable because views and dialogs receive them as ints.
enum LanguageType : int {
    Chinese = 0,
    English = 1,
};
