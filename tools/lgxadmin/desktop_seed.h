#pragma once

#include <QString>

namespace varnex::lgxadmin {

// Gives a user who has no stored desktop a first one: the six list icons
// down the right of the wallpaper, captioned in the user's language with the
// picture of the program folder, so the lists can be opened from the first
// login. Returns the number of icons written. Refuses (SetupError) a user
// that does not exist or already has a desktop of their own.
int WriteStarterDesktop(const QString& dataRoot, const QString& userCode, const QString& programFolder);

} // namespace varnex::lgxadmin
