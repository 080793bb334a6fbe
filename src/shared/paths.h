// Path texts as the system stores them, and as this platform uses them.
//
// The tables and the program's rules speak Windows paths: "c:\vek\data\", a
// trailing backslash, a drive letter in front. On Windows those texts are
// used as they stand. Elsewhere the separator is '/' and the user's home
// folder stands where a text says "c:\"; every drive letter maps there, as
// there is one file tree and the home folder is the user's own part of it.
// So "c:\vek\letters\" is used as ~/vek/letters/. A text stored by a Windows
// installation is translated when used (toNativePath); a native text passes
// unchanged, so translating twice does no harm. The helpers below translate
// their input first and return native texts.
#pragma once

#include <string>
#include <string_view>

namespace vv::shared {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
// Windows file names ignore case, so the rules may fold a typed path to lower case.
inline constexpr bool kFileNamesIgnoreCase = true;
#else
inline constexpr char kPathSeparator = '/';
inline constexpr bool kFileNamesIgnoreCase = false;
#endif

// The user's home folder, without a trailing separator ($HOME; "/" when unset).
std::string homeFolder();

// Whether `c` ends a folder text: a backslash, and on other platforms '/' too
// (a text written by either kind of installation may be met).
bool isPathSeparator(char c);
bool endsWithSeparator(std::string_view path);

// `path` with a separator appended unless it already ends in one: a
// backslash after a text written with backslashes only, otherwise
// kPathSeparator; an empty text becomes kPathSeparator alone. Does not
// translate.
std::string withTrailingSeparator(std::string_view path);

// A stored path text as this platform uses it (see the top of this file).
// Empty stays empty; "~" and "~/..." stand for the home folder too.
std::string toNativePath(std::string_view stored);

// The folder of the export tables: the data folder, a separator when it
// ends in none, then "Export" and a separator.
std::string exportFolder(std::string_view dataFolder);

// The contract folder start-up uses when SYSPATH.DBF names none: the data
// folder's first two characters (its drive, taken as they are) followed by
// "\vek\contract\". A native data folder elsewhere lies on the home drive.
std::string defaultContractFolder(std::string_view dataFolder);

// The letters folder when SYSPATH.DBF names none: "c:\vek\letters\".
std::string defaultLettersFolder();

// `relative` (written Windows-style, "vek\contract\") on the drive of
// `folder`: its first character, ":\" and `relative`, translated.
std::string onDriveOf(std::string_view folder, std::string_view relative);

// The folder part of a file path, with a trailing separator.
std::string folderOfFile(std::string_view filePath);

// Whether `path` names an existing file. The last component matches without
// regard to case, as the table engine opens tables (and as Windows does);
// "c:\vek\datasystem.dbf" is simply a file that is not there.
bool fileExists(std::string_view path);

}  // namespace vv::shared
