#pragma once

/// Where the update's files lie, on the server and in the program folder. The update check, the updater
/// and the release tool all use these names, so the three agree on one layout.
namespace UpdateLayout {

/// The update server's base URL unless LUMETRA_UPDATE_SERVER names another.
inline constexpr char DefaultServer[] = "https://update.ostrand.example";
/// The folder below the server's base URL that holds update_info.xml (and, as published, the archives).
inline constexpr char ServerFolder[] = "update_packets/Lumetra2_UpdateFiles";
/// The manifest's file name, on the server and in temp/.
inline constexpr char ManifestName[] = "update_info.xml";
/// The download folder inside the program folder.
inline constexpr char TempFolder[] = "temp";

/// The first argument of the updater when the main program starts it ("KorvoUpdate _Lumetra2 <language>").
inline constexpr char UpdaterMarker[] = "_Lumetra2";
/// The first argument of the main program when the updater starts it after an install.
inline constexpr char RestartMarker[] = "_KorvoUpdate";

} // namespace UpdateLayout
