#pragma once

/// The version of this program as the update server and the user know it. The update check compares it
/// with the manifest's CurrentVersion; the fixed information panel shows it as "V " followed by it.
inline constexpr char ProgramVersion[] = "1.0.2.4";
