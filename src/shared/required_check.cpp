#include "shared/required_check.h"

#include <QString>
#include <QWidget>

#include "shared/required_fields.h"
#include "shared/user_interaction.h"

namespace vv::shared {

bool checkRequiredFields(QWidget* window, const std::vector<RequiredCheck>& checks) {
    std::vector<RequiredFields::Missing> conditions;
    conditions.reserve(checks.size());
    for (const RequiredCheck& c : checks) conditions.push_back(c.missing);
    const int last = RequiredFields::lastMissing(conditions);
    if (last < 0) return true;
    if (QWidget* focus = checks[static_cast<std::size_t>(last)].focus) focus->setFocus(Qt::OtherFocusReason);
    userInteraction().beep();
    userInteraction().information(window, QString::fromLatin1(kFillInFields));
    return false;
}

}  // namespace vv::shared
