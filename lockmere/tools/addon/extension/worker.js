// Lockmere's add-on in the program's browser: the toolbar button and the page's
// context menu ask Lockmere to log in on the page or to register it. Requests
// reach Lockmere through the function it gives this worker (lockmereAddon); a
// worker that has just woken up may get it a moment later, so a request waits
// for it up to three seconds.
const send = (kind, url, tries = 30) => {
  if (!url) return;
  if (typeof self.lockmereAddon === 'function') {
    self.lockmereAddon(JSON.stringify({ kind, url }));
  } else if (tries > 0) {
    setTimeout(() => send(kind, url, tries - 1), 100);
  }
};

const createMenus = () =>
  chrome.contextMenus.removeAll(() => {
    const contexts = ['page', 'frame', 'editable'];
    chrome.contextMenus.create({ id: 'login', title: chrome.i18n.getMessage('login'), contexts });
    chrome.contextMenus.create({ id: 'register', title: chrome.i18n.getMessage('register'), contexts });
  });

chrome.runtime.onInstalled.addListener(createMenus);
chrome.runtime.onStartup.addListener(createMenus);
chrome.contextMenus.onClicked.addListener((info, tab) => send(info.menuItemId, (tab && tab.url) || info.pageUrl));
chrome.action.onClicked.addListener((tab) => send('login', tab.url));
