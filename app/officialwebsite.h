#ifndef OFFICIALWEBSITE_H
#define OFFICIALWEBSITE_H

// The maker's web site, named in the messages that send the user there.
constexpr char OfficialWebSite[] = "https://www.ostrand.example";

#endif // OFFICIALWEBSITE_H
