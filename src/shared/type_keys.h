// Typing a text as if the user pressed the keys: a key press and release
// per character, delivered at once to the widget that has the keyboard
// focus (nothing happens without one). An upper-case letter and the other
// characters typed with Shift on a US layout carry the Shift modifier; the
// events carry the character itself, so the state of Caps Lock neither
// changes what arrives nor is changed. Tab, Return and Enter ("\t", "\r",
// "\n") are sent as those keys; other control characters have no key and
// are skipped.
#pragma once

#include <QString>

namespace vv::shared {

void TypeKeys(const QString& text);

}  // namespace vv::shared
