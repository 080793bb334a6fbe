// The sample hotel's letter documents: a few short RTF letters (any word
// processor opens them) carrying the markers the letters commands fill.
// Internal to src/data.
#pragma once

#include <string>

namespace vv::data::demo {

// Writes every letter of kLetters into `folder` (made when missing); an
// existing document of that name is left alone, as the hotel may have
// edited it.
void writeDemoLetters(const std::string& folder);

}  // namespace vv::data::demo
