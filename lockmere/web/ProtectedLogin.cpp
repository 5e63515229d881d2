#include "lockmere/web/ProtectedLogin.h"

#include "lockmere/texts/StringTable.h"
#include "lockmere/web/ExplorerFrame.h"

namespace web {

void ProtectedPost(TExplorerFrame& frame, const QString& url, const QByteArray& /*parameters*/,
                   const std::function<void(const QString&)>& showMessage) {
  if (showMessage) showMessage(texts::M(41) + QStringLiteral("\r\n\r\n") + texts::M(42));
  frame.OpenInNewBrowser(url);
}

}  // namespace web
