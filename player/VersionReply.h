#pragma once
// The maker's version file: its address and its reply, a plain version
// number such as "3.31", compared with ours as a decimal number.
#include <optional>
#include <string>
#include <string_view>

#include "base/IniFile.h"

namespace player {

inline constexpr char kDefaultMakerSite[] = "http://www.sorivanel.invalid";

// Settings ("DATA", "SiteURL"): the maker's site; a missing or unusable value
// gives the default. The version file is the site + "/version.php"; the home
// page is the site itself.
std::string MakerSiteFromSettings(const sv::IniFile& settings);
std::string VersionFileUrl(std::string_view site);

// A version number: digits, optionally "." and digits, after the byte-order
// mark and surrounding white space are taken off. Anything else (a comma,
// an HTML page, an empty body) is no version.
std::optional<std::string> ParseVersionReply(std::string_view body);

// a > b as decimal numbers ("3.3" equals "3.30"); both are version numbers.
bool IsNewerVersion(std::string_view a, std::string_view b);

}  // namespace player
