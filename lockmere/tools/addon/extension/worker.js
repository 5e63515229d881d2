// Lockmere's add-on in the program's browser: the toolbar button and the page's
// context menu ask Lockmere to log in on the page or to register it, and the
// pages' script (fields.js) says when login fields appear. Messages reach
// Lockmere through the function it gives this worker (lockmereAddon); a worker
// that has just woken up may get it a moment later, so a message waits for it
// up to three seconds.
const deliver = (message, tries = 30) => {
  if (typeof self.lockmereAddon === 'function') {
    self.lockmereAddon(JSON.stringify(message));
  } else if (tries > 0) {
    setTimeout(() => deliver(message, tries - 1), 100);
  }
};
const send = (kind, url) => {
  if (url) deliver({ kind, url });
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
chrome.runtime.onMessage.addListener((message, sender) => {
  if (sender.id === chrome.runtime.id && message && message.kind === 'fields') deliver({ kind: 'fields' });
});
