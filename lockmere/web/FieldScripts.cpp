#include "lockmere/web/FieldScripts.h"

#include "lockmere/web/FieldKeys.h"
#include "lockmere/web/InputTypes.h"

namespace web {
namespace {

// A JavaScript string literal of a key (the keys hold control characters).
std::string literal(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\'' || c == '\\')
      out += std::string("\\") + c;
    else
      out += c;
  }
  return out + "'";
}

constexpr const char* kLibrary = R"JS(
const isInput = (e) => e.localName === 'input';
const isField = (e) => isInput(e) || e.localName === 'select';
const isPassword = (e) => isInput(e) && reportedType(e) === 'PASSWORD';
const isTextLike = (e) => isInput(e) && reportedType(e) === 'TEXT';
const keyOf = (e) => e.getAttribute('name') || (e.id ? ID_KEY + e.id : '');

// The parent element, from a shadow root's top to its host.
const parentOf = (n) => {
  const p = n.parentNode;
  if (!p) return null;
  if (p.nodeType === Node.DOCUMENT_FRAGMENT_NODE) return p.host || null;
  return p.nodeType === Node.ELEMENT_NODE ? p : null;
};
const inside = (a, n) => {
  for (let p = parentOf(n); p; p = parentOf(p)) if (p === a) return true;
  return false;
};

let all = null;
let order = null;
const fields = () => {
  if (all) return all;
  all = [];
  const walk = (root) => {
    const w = document.createTreeWalker(root, NodeFilter.SHOW_ELEMENT);
    for (let n = w.nextNode(); n; n = w.nextNode()) {
      if (isField(n)) all.push(n);
      if (n.shadowRoot) walk(n.shadowRoot);
    }
  };
  walk(document);
  return all;
};
const positionOf = (e) => {
  if (!order) order = new Map(fields().map((f, i) => [f, i]));
  return order.has(e) ? order.get(e) : -1;
};

const autocomplete = (e) => String(e.getAttribute('autocomplete') || '').toLowerCase().split(/\s+/).filter(Boolean);
const NOT_AN_ID = new Set(['one-time-code', 'name', 'given-name', 'additional-name', 'family-name', 'honorific-prefix',
  'honorific-suffix', 'organization', 'organization-title', 'street-address', 'postal-code', 'country', 'country-name',
  'url', 'photo', 'sex', 'language', 'bday', 'new-password', 'current-password']);
const says = (e) => {
  const tokens = autocomplete(e);
  if (tokens.includes('username')) return 'username';
  if (tokens.includes('email')) return 'email';
  if (tokens.some((t) => NOT_AN_ID.has(t) || /^(cc|address|bday|transaction)-/.test(t))) return 'other';
  const type = String(e.type).toLowerCase();
  if (type === 'email') return 'email';
  if (type === 'search' || type === 'url') return 'other';
  return '';
};

const formFields = (form) =>
  Array.from(Object.getOwnPropertyDescriptor(HTMLFormElement.prototype, 'elements').get.call(form));
const looseFieldsIn = (c) => fields().filter((e) => !e.form && inside(c, e));

// Outside any form, the element that stands for a password field's form: the
// nearest one that also holds a text field before it (its ID field); null when
// there is no such field.
const looseFormOf = (pw) => {
  const here = positionOf(pw);
  const ids = fields().filter((e) => isTextLike(e) && !e.form && says(e) !== 'other' && positionOf(e) < here);
  for (let a = parentOf(pw); a && a !== document.documentElement; a = parentOf(a))
    if (ids.some((e) => inside(a, e))) return a;
  return null;
};
const containerOf = (pw) => pw.form || looseFormOf(pw) || parentOf(pw) || document.body;

// Sign-up and change-password forms: three password fields; two, one of them
// marked as a new password or named or labelled as confirming or renewing the
// other; one marked as a new password, unless the form's buttons say it logs in
// (some login forms are marked so to keep browsers from saving the password).
const CONFIRMING = /confirm|repeat|retype|re-?enter|again|verif|check|chk|new|확인|재입력|다시|新し|確認|再入力|再度/i;
const LOGS_IN = /log\s*-?\s*in|log\s*on|sign\s*-?\s*in|로그인|ログイン/i;
const SIGNS_UP = /sign\s*-?\s*up|regist|join|create|get started|가입|登録/i;
const describe = (e) => {
  let labels = '';
  try {
    labels = Array.from(e.labels || [], (l) => l.textContent).join(' ');
  } catch (x) {
  }
  return [e.getAttribute('name'), e.id, e.getAttribute('placeholder'), e.getAttribute('aria-label'), labels].join(' ');
};
const buttonsSay = (c) => {
  const texts = [c.getAttribute('action') || ''];
  for (const b of c.querySelectorAll('button, input[type=submit], input[type=image], input[type=button], [role=button]'))
    texts.push(isInput(b) ? b.value || b.alt || '' : b.textContent);
  return texts.join(' ');
};
const newPasswordForms = new Map();
const isNewPasswordForm = (c) => {
  if (newPasswordForms.has(c)) return newPasswordForms.get(c);
  const pws = (c.localName === 'form' ? formFields(c) : looseFieldsIn(c)).filter(isPassword);
  const marked = pws.some((e) => autocomplete(e).includes('new-password'));
  let is = false;
  if (pws.length >= 3) {
    is = true;
  } else if (pws.length === 2) {
    is = marked || pws.some((e) => CONFIRMING.test(describe(e)));
  } else if (pws.length === 1 && marked) {
    const t = buttonsSay(c);
    is = !(LOGS_IN.test(t) && !SIGNS_UP.test(t));
  }
  newPasswordForms.set(c, is);
  return is;
};

// The first password field that is not in a sign-up form; one in a form before
// one outside any form, which needs an ID field before it.
const loginPassword = () => {
  let loose = null;
  for (const p of fields().filter(isPassword)) {
    if (p.form) {
      if (!isNewPasswordForm(p.form)) return p;
    } else if (!loose) {
      const c = looseFormOf(p);
      if (c && !isNewPasswordForm(c)) loose = p;
    }
  }
  return loose;
};

// The form of a field, or the nearest element that holds it and a button.
const boxOf = (e) => {
  if (e.form) return e.form;
  for (let a = parentOf(e); a && a !== document.documentElement; a = parentOf(a))
    if (a.querySelector('button, input[type=submit], input[type=image], [role=button]')) return a;
  return parentOf(e) || document.body;
};

// Whether a text field of a page without a password field starts a login: not
// in a form that subscribes, searches or resets a password; marked as the user
// name, or an e-mail field whose buttons go on to the next step or log in.
const AVOIDS = /forgot|reset|recover|subscri|newsletter|search|찾기|재설정|구독|뉴스레터|検索|購読|忘れ|再設定/i;
const STEPS_IN = /next|continue|log\s*-?\s*in|log\s*on|sign\s*-?\s*in|다음|계속|로그인|次へ|続行|ログイン/i;
const startsLogin = (e) => {
  const box = boxOf(e);
  const buttons = buttonsSay(box);
  if (AVOIDS.test(buttons + ' ' + box.textContent)) return false;
  return says(e) === 'username' || (says(e) === 'email' && STEPS_IN.test(buttons));
};

// The ID field of a page without a password field (the first page of a two-step
// login): its one text field marked as the user name; unless strict, else its
// one e-mail field; either only when it starts a login.
const idOnlyField = (strict) => {
  const text = fields().filter((e) => isTextLike(e) && !e.readOnly && !e.disabled);
  const marked = text.filter((e) => says(e) === 'username');
  const mail = text.filter((e) => says(e) === 'email');
  const one = marked.length || strict ? marked : mail;
  return one.length === 1 && startsLogin(one[0]) ? one[0] : null;
};

// The design's fields by position: the first password field and the nearest
// text field before it. A sign-up form's password field gives way to a login
// form's; with `deep`, fields in shadow roots count when the document has no
// other; a text field that says it is something else gives way to one marked
// as the user name (or else as an e-mail address).
const byPosition = (deep) => {
  let list = Array.from(document.getElementsByTagName('INPUT'));
  let pw = list.find((e) => reportedType(e) === 'PASSWORD') || null;
  if (pw && pw.form && isNewPasswordForm(pw.form)) {
    const other = loginPassword();
    if (other) {
      pw = other;
      list = fields().filter(isInput);
    }
  }
  if (!pw && deep) {
    list = fields().filter(isInput);
    pw = loginPassword() || list.find(isPassword) || null;
  }
  if (!pw) return { pw: null, id: null };
  const before = list.slice(0, list.indexOf(pw)).reverse();
  let id = before.find((e) => reportedType(e) === 'TEXT') || null;
  if (id && says(id) === 'other') {
    id = before.find((e) => isTextLike(e) && says(e) === 'username') ||
         before.find((e) => isTextLike(e) && says(e) === 'email') || id;
  }
  return { pw, id };
};

// Of the elements of one name, those of sign-up and change-password forms are
// left out when others remain: a login form that shares its names with a
// sign-up form on the same page is the one filled.
const withoutSignUpForms = (list) => {
  if (list.length < 2) return list;
  const login = list.filter((e) => !(e.form && isNewPasswordForm(e.form)));
  return login.length && login.length < list.length ? login : list;
};

const fieldsFor = (key) => {
  if (key === POSITION_ID || key === POSITION_PASSWORD) {
    const found = byPosition(true);
    const e = key === POSITION_PASSWORD ? found.pw : found.pw ? found.id : idOnlyField(false);
    return e ? [e] : [];
  }
  const named = Array.from(document.getElementsByName(key));
  if (named.length) return withoutSignUpForms(named);
  const deepNamed = fields().filter((e) => e.getAttribute('name') === key);
  if (deepNamed.length || !key.startsWith(ID_KEY)) return withoutSignUpForms(deepNamed);
  const id = key.slice(ID_KEY.length);
  return withoutSignUpForms(fields().filter((e) => !e.getAttribute('name') && e.id === id));
};
)JS";

}  // namespace

std::string FieldFunction(std::string_view parameters, std::string_view body) {
  static const std::string library =
      "const ID_KEY = " + literal(kIdKeyPrefix) + ";\nconst POSITION_ID = " + literal(kPositionIdKey) +
      ";\nconst POSITION_PASSWORD = " + literal(kPositionPasswordKey) + ";\n" + ReportedTypeScript() + kLibrary;
  std::string f = "function(";
  f.append(parameters).append(") {\n").append(library).append(body).append("\n}");
  return f;
}

}  // namespace web
