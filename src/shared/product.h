// The program's name and version as the About box and error details show them.
#pragma once

namespace vv::shared {

inline constexpr const char* kProgramName = "Vek Voro";
inline constexpr const char* kProgramVersion = "1.0g";

}  // namespace vv::shared
