#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace web {

class TExplorerFrame;

// The protected login of the one site (SiteAddresses.h) that takes logins only
// as data encrypted by its own browser module. That module does not exist on
// this platform, so every protected login takes the design's way out: one
// message says why the site cannot be logged into, and its address opens in a
// new browser window without logging in. The parameters (they hold the ID and
// the password) are not sent anywhere.
//
// Browser errors are thrown to the caller, as the frame's OpenInNewBrowser does.
void ProtectedPost(TExplorerFrame& frame, const QString& url, const QByteArray& parameters,
                   const std::function<void(const QString&)>& showMessage);

}  // namespace web
