#pragma once

#include <QString>
#include <QStringList>

namespace shell {

// `lockmere URL`: the first argument that is not a switch ("/" or "-" before
// it); empty when there is none.
QString addressArgument(const QStringList& arguments);

// A second start hands its address to the running program: the address into
// the registry, then 0x810 over the message bus. False, with why, when the
// running program could not be told.
bool handOverAddress(const QString& address, QString* why = nullptr);

// The running program takes the handed-over address out of the registry (it
// is meant for one opening); empty when there is none.
QString takeHandedOverAddress();

}  // namespace shell
