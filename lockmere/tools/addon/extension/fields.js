// Tells Lockmere when a login field appears in a page (a password field, or a
// field marked as the user name): pages that build their login form by script
// after loading, single-page applications that change their view. Lockmere
// itself looks at the page to see whether anything is new, so this only says
// when to look; once a second at most from each document.
(() => {
  const seen = new WeakSet();
  const watched = new WeakSet();
  const pendingHosts = new Set();
  let last = 0;
  let timer = null;

  const isLoginField = (e) =>
    e.localName === 'input' &&
    (e.type === 'password' || /(^|\s)username(\s|$)/i.test(e.getAttribute('autocomplete') || ''));

  const report = () => {
    const wait = last + 1000 - Date.now();
    if (wait > 0) {
      if (!timer) timer = setTimeout(() => { timer = null; report(); }, wait);
      return;
    }
    last = Date.now();
    try {
      chrome.runtime.sendMessage({ kind: 'fields' }).catch(() => {});
    } catch (e) {
      // The extension was reloaded: this document no longer reports.
    }
  };

  // Elements whose shadow root may come later: custom elements not yet defined.
  let hostTimer = null;
  const checkHosts = () => {
    hostTimer = null;
    let found = false;
    for (const h of pendingHosts) {
      if (h.shadowRoot) {
        pendingHosts.delete(h);
        found = scan(h) || found;
      } else if (!h.isConnected || h.matches(':defined')) {
        pendingHosts.delete(h);
      }
    }
    if (found) report();
    if (pendingHosts.size) hostTimer = setTimeout(checkHosts, 250);
  };

  // Marks the login fields under a node (in open shadow roots too) as seen and
  // watches the shadow roots it meets; true when a field was new.
  const scan = (root) => {
    let found = false;
    const visit = (n) => {
      if (isLoginField(n) && !seen.has(n)) {
        seen.add(n);
        found = true;
      }
      if (n.shadowRoot && !watched.has(n.shadowRoot)) {
        watch(n.shadowRoot);
        walk(n.shadowRoot);
      } else if (!n.shadowRoot && n.localName.includes('-') && n.matches(':not(:defined)')) {
        pendingHosts.add(n);
        if (!hostTimer) hostTimer = setTimeout(checkHosts, 250);
      }
    };
    const walk = (r) => {
      const w = document.createTreeWalker(r, NodeFilter.SHOW_ELEMENT);
      for (let n = w.nextNode(); n; n = w.nextNode()) visit(n);
    };
    if (root.nodeType === Node.ELEMENT_NODE) visit(root);
    walk(root);
    return found;
  };

  const observer = new MutationObserver((records) => {
    let found = false;
    for (const r of records) {
      if (r.type === 'attributes') found = scan(r.target) || found;
      for (const n of r.addedNodes) if (n.nodeType === Node.ELEMENT_NODE) found = scan(n) || found;
    }
    if (found) report();
  });
  const watch = (root) => {
    watched.add(root);
    observer.observe(root, { childList: true, subtree: true, attributes: true, attributeFilter: ['type', 'autocomplete'] });
  };

  watch(document);
  if (scan(document)) report();
})();
