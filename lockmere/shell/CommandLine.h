#pragma once

#include <QStringList>
#include <QStringView>

namespace shell {

// Whether the command line holds the switch: the name written after "/" or
// "-", in any letter case ("/Minimize", "-LOGIN").
bool hasSwitch(const QStringList& arguments, QStringView name);

inline constexpr char16_t kMinimizeSwitch[] = u"Minimize";
inline constexpr char16_t kLoginSwitch[] = u"login";

}  // namespace shell
