#include "lockmere/store/StoreStream.h"

#include <strings.h>

#include <unordered_map>

#include "lockmere/store/ComponentReader.h"
#include "lockmere/store/ComponentWriter.h"
#include "lockmere/store/StreamError.h"

namespace store::stream {
namespace {

// Category ID -> the position it has in the collection (its ID after a reload).
class Positions {
 public:
  explicit Positions(const TCateCollection& cates) {
    for (int i = 0; i < cates.count(); ++i) byId_[cates[i].ID()] = i;
  }
  std::int32_t of(std::int32_t id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? id : it->second;
  }

 private:
  std::unordered_map<std::int32_t, std::int32_t> byId_;
};

void writeCates(ComponentWriter& w, const TLMCateList& list) {
  const TCateCollection& cates = list.Cates();
  const Positions positions(cates);
  w.beginComponent(kCateListClass);
  w.beginCollection("Cates");
  for (int i = 0; i < cates.count(); ++i) {
    const TCateItem& c = cates[i];
    w.beginItem();
    w.integerProperty("ParentID", positions.of(c.ParentID));
    w.stringProperty("Text", c.Text);
    w.endList();
  }
  w.endList();
  w.endComponent();
}

void writeExtraItems(ComponentWriter& w, const Collection<TExtraItems>& items) {
  w.beginCollection("ExtraItems");
  for (int i = 0; i < items.count(); ++i) {
    const TExtraItems& e = items[i];
    w.beginItem();
    w.stringProperty("FormName", e.FormName);
    w.stringProperty("Name", e.Name);
    w.stringProperty("Type_", e.Type_);
    w.stringProperty("Value", e.Value);
    w.beginCollection("Options");
    for (int k = 0; k < e.Options.count(); ++k) {
      w.beginItem();
      w.stringProperty("Value", e.Options[k].Value);
      w.stringProperty("Text", e.Options[k].Text);
      w.endList();
    }
    w.endList();
    w.stringProperty("SelectedOption", e.SelectedOption);
    w.endList();
  }
  w.endList();
}

// Where a piecewise write hands over what it has written.
class Pieces {
 public:
  Pieces(crypto::SecureBytes& out, std::size_t size, const PieceSink& sink) : out_(out), size_(size), sink_(sink) {}
  void handOver(bool last = false) {
    if (out_.empty() || (!last && out_.size() < size_)) return;
    sink_(out_);
    out_.clear();
  }

 private:
  crypto::SecureBytes& out_;
  std::size_t size_;
  const PieceSink& sink_;
};

void writeSites(ComponentWriter& w, const TRegSiteList& list, const TLMCateList& cateList, Pieces* pieces = nullptr) {
  const Positions positions(cateList.Cates());
  const TRegSiteCollection& sites = list.RegSites();
  w.beginComponent(kSiteListClass);
  w.beginCollection("RegSites");
  for (int i = 0; i < sites.count(); ++i) {
    const TRegSiteCollItem& s = sites[i];
    w.beginItem();
    w.stringProperty("URL", s.URL);
    w.stringProperty("Keyword", s.Keyword);
    w.stringProperty("Name", s.Name);
    w.stringProperty("FrameName", s.FrameName);
    w.stringProperty("ID_FormName", s.ID_FormName);
    w.stringProperty("ID_Name", s.ID_Name);
    w.stringProperty("ID_Value", s.ID_Value);
    w.stringProperty("PW_FormName", s.PW_FormName);
    w.stringProperty("PW_Name", s.PW_Name);
    w.stringProperty("PW_Value", s.PW_Value);
    w.stringProperty("Description", s.Description);
    w.integerProperty("CateID", positions.of(s.CateID));
    w.integerProperty("LoginType", s.LoginType);
    w.dateTimeProperty("LastAutoLogin", s.LastAutoLogin);
    writeExtraItems(w, s.ExtraItems);
    w.endList();
    if (pieces) pieces->handOver();
  }
  w.endList();
  w.endComponent();
}

// Property names match without regard to case, as the framework's do.
bool is(std::string_view name, const char* expected) {
  return name.size() == std::char_traits<char>::length(expected) &&
         ::strncasecmp(name.data(), expected, name.size()) == 0;
}

[[noreturn]] void unknownProperty(std::string_view name) {
  throw StreamError("Error reading property: Property " + std::string(name) + " does not exist");
}

// The properties every component publishes (name and tag): accepted, not kept.
bool componentProperty(ComponentReader& r, std::string_view name) {
  if (is(name, "Name")) {
    r.stringValue();
    return true;
  }
  if (is(name, "Tag")) {
    r.integerValue();
    return true;
  }
  return false;
}

std::uint8_t loginType(std::int32_t v) {
  if (v < 0 || v > 255) throw StreamError("Invalid property value: LoginType out of range");
  return static_cast<std::uint8_t>(v);
}

void readOptions(ComponentReader& r, Collection<TSiteOptions>& options) {
  r.beginCollection();
  options.clear();
  while (r.nextItem()) {
    TSiteOptions& o = options.add();
    while (!r.atListEnd()) {
      const std::string_view name = r.propertyName();
      if (is(name, "Value"))
        o.Value = r.stringValue();
      else if (is(name, "Text"))
        o.Text = r.stringValue();
      else
        unknownProperty(name);
    }
  }
}

void readExtraItems(ComponentReader& r, Collection<TExtraItems>& items) {
  r.beginCollection();
  items.clear();
  while (r.nextItem()) {
    TExtraItems& e = items.add();
    while (!r.atListEnd()) {
      const std::string_view name = r.propertyName();
      if (is(name, "FormName"))
        e.FormName = r.stringValue();
      else if (is(name, "Name"))
        e.Name = r.stringValue();
      else if (is(name, "Type_"))
        e.Type_ = r.stringValue();
      else if (is(name, "Value"))
        e.Value = r.stringValue();
      else if (is(name, "Options"))
        readOptions(r, e.Options);
      else if (is(name, "SelectedOption"))
        e.SelectedOption = r.stringValue();
      else
        unknownProperty(name);
    }
  }
}

void readSite(ComponentReader& r, TRegSiteCollItem& s) {
  std::string* const strings[] = {&s.URL,      &s.Keyword,     &s.Name,    &s.FrameName, &s.ID_FormName, &s.ID_Name,
                                  &s.ID_Value, &s.PW_FormName, &s.PW_Name, &s.PW_Value,  &s.Description};
  static const char* const names[] = {"URL",      "Keyword",     "Name",    "FrameName", "ID_FormName", "ID_Name",
                                      "ID_Value", "PW_FormName", "PW_Name", "PW_Value",  "Description"};
  while (!r.atListEnd()) {
    const std::string_view name = r.propertyName();
    bool done = false;
    for (std::size_t i = 0; i < std::size(names) && !done; ++i) {
      if (is(name, names[i])) {
        *strings[i] = r.stringValue();
        done = true;
      }
    }
    if (done) continue;
    if (is(name, "CateID"))
      s.CateID = r.integerValue();
    else if (is(name, "LoginType"))
      s.LoginType = loginType(r.integerValue());
    else if (is(name, "LastAutoLogin"))
      s.LastAutoLogin = r.floatValue();
    else if (is(name, "ExtraItems"))
      readExtraItems(r, s.ExtraItems);
    else
      unknownProperty(name);
  }
}

void expectClass(ComponentReader& r, const char* expected) {
  const std::string className = r.beginComponent();
  if (className == kCateListClass || className == kSiteListClass) {
    if (className != expected)
      throw StreamError("Invalid stream format: " + className + " where " + expected + " belongs");
    return;
  }
  throw StreamError("Class " + className + " not found");
}

std::unique_ptr<TLMCateList> readCates(ComponentReader& r) {
  expectClass(r, kCateListClass);
  auto list = std::make_unique<TLMCateList>();
  while (!r.atListEnd()) {
    const std::string_view name = r.propertyName();
    if (componentProperty(r, name)) continue;
    if (!is(name, "Cates")) unknownProperty(name);
    r.beginCollection();
    list->Cates().clear();
    while (r.nextItem()) {
      TCateItem& c = list->Cates().add();
      while (!r.atListEnd()) {
        const std::string_view item = r.propertyName();
        if (is(item, "ParentID"))
          c.ParentID = r.integerValue();
        else if (is(item, "Text"))
          c.Text = r.stringValue();
        else
          unknownProperty(item);
      }
    }
  }
  r.endComponent();
  return list;
}

std::unique_ptr<TRegSiteList> readSites(ComponentReader& r) {
  expectClass(r, kSiteListClass);
  auto list = std::make_unique<TRegSiteList>();
  while (!r.atListEnd()) {
    const std::string_view name = r.propertyName();
    if (componentProperty(r, name)) continue;
    if (!is(name, "RegSites")) unknownProperty(name);
    r.beginCollection();
    list->RegSites().clear();
    while (r.nextItem()) readSite(r, list->RegSites().add());
  }
  r.endComponent();
  return list;
}

}  // namespace

void writeCateList(crypto::SecureBytes& out, const TLMCateList& cates) {
  ComponentWriter w(out);
  writeCates(w, cates);
}

void writeSiteList(crypto::SecureBytes& out, const TRegSiteList& sites, const TLMCateList& cates) {
  ComponentWriter w(out);
  writeSites(w, sites, cates);
}

crypto::SecureBytes write(const TLMCateList& cates, const TRegSiteList& sites) {
  crypto::SecureBytes out;
  // Sites take a few hundred bytes each; growing would copy and wipe the buffer.
  out.reserve(64 + static_cast<std::size_t>(cates.Cates().count()) * 32 +
              static_cast<std::size_t>(sites.RegSites().count()) * 640);
  writeCateList(out, cates);
  writeSiteList(out, sites, cates);
  return out;
}

void write(const TLMCateList& cates, const TRegSiteList& sites, std::size_t pieceSize, const PieceSink& sink) {
  crypto::SecureBytes out;
  out.reserve(pieceSize + 4096);
  Pieces pieces(out, pieceSize, sink);
  writeCateList(out, cates);
  pieces.handOver();
  ComponentWriter w(out);
  writeSites(w, sites, cates, &pieces);
  pieces.handOver(true);
}

Lists read(const unsigned char* data, std::size_t size) {
  ComponentReader r(data, size);
  Lists lists;
  lists.cates = readCates(r);
  lists.sites = readSites(r);
  // A file this system wrote ends here; anything more means a torn or foreign store.
  if (!r.atEnd()) throw StreamError("Invalid stream format: bytes after the site list");
  return lists;
}

}  // namespace store::stream
