#include "lockmere/shell/AddressHandover.h"

#include "lockmere/store/RegistryLayout.h"
#include "platform/Registry.h"
#include "platform/WindowMessages.h"
#include "platform/bus/BusClient.h"

namespace shell {

QString addressArgument(const QStringList& arguments) {
  for (const QString& argument : arguments)
    if (!argument.isEmpty() && !argument.startsWith('/') && !argument.startsWith('-')) return argument;
  return {};
}

bool handOverAddress(const QString& address, QString* why) {
  platform::Registry registry(platform::Registry::CurrentUser);
  auto key = registry.createKey(store::reg::kMainKey);
  if (!key || !key.value().writeString(store::reg::kLastOpenURL, address.toStdString())) {
    if (why)
      *why = QStringLiteral("the address could not be stored: %1").arg(QString::fromStdString(registry.errorString()));
    return false;
  }
  const auto reply = platform::BusClient::post(platform::msg::kOpenAddress, 0, 0);
  if (!reply.ok && why) *why = reply.error;
  return reply.ok;
}

QString takeHandedOverAddress() {
  platform::Registry registry(platform::Registry::CurrentUser);
  auto key = registry.openKey(store::reg::kMainKey);
  if (!key) return {};
  auto address = key.value().readString(store::reg::kLastOpenURL);
  if (!address) return {};
  key.value().deleteValue(store::reg::kLastOpenURL);
  return QString::fromStdString(address.value());
}

}  // namespace shell
