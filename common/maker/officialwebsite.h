#pragma once

/// The maker's web site, named in the messages that send the user there.
constexpr char OfficialWebSite[] = "https://www.ostrand.example";

/// The maker's name as the updater's Chinese texts give it.
constexpr char MakerName[] = "Ostrand";
