#include "lockmere/tools/account/cli/Commands.h"

#include <map>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "lockmere/bio/EnrollmentLevel.h"
#include "lockmere/bio/RecordSearch.h"
#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/tools/account/cli/SensorEnrollment.h"
#include "lockmere/tools/account/core/AccountChanges.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/Backup.h"
#include "lockmere/tools/account/core/Credentials.h"
#include "lockmere/tools/account/core/Fingers.h"
#include "lockmere/tools/account/core/Restore.h"
#include "lockmere/tools/account/core/SiteTransfer.h"
#include "lockmere/tools/account/core/Unlock.h"
#include "platform/Registry.h"

namespace account::cli {
namespace {

// A command's failure: what to print and how to exit.
struct Stop {
  int status;
  std::string text;
};

[[noreturn]] void fail(const Failure& failure) { throw Stop{kExitFailed, describe(failure)}; }
[[noreturn]] void usageError(const std::string& text) { throw Stop{kExitUsage, text + " (see --help)"}; }

template <class T>
T take(Outcome<T> outcome) {
  if (!outcome) fail(outcome.failure());
  return std::move(*outcome);
}

void check(const Failure& failure) {
  if (failure) fail(failure);
}

// The parsed command line: positional words and the finger options.
struct Arguments {
  std::vector<std::string> words;
  std::vector<std::vector<std::string>> fingers;  // --finger IMG1,IMG2,IMG3, one list a finger
  int sensorFingers = 0;
  bool sensorPolarity = false;
  int level = bio::kProgramEnrollmentLevel;
};

int number(const std::string& text, const std::string& option) {
  try {
    std::size_t used = 0;
    const int n = std::stoi(text, &used);
    if (used == text.size()) return n;
  } catch (const std::exception&) {
  }
  usageError(option + " wants a number, not \"" + text + "\"");
}

Arguments parse(const std::vector<std::string>& in) {
  Arguments a;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const std::string& word = in[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= in.size()) usageError(word + " wants a value");
      return in[++i];
    };
    if (word == "--finger") {
      std::vector<std::string> images;
      std::stringstream list(value());
      for (std::string image; std::getline(list, image, ',');) images.push_back(image);
      if (images.size() != 3) usageError("--finger wants three images separated by commas");
      a.fingers.push_back(images);
    } else if (word == "--sensor") {
      a.sensorFingers = number(value(), word);
      if (a.sensorFingers < 1) usageError("--sensor wants one finger or more");
    } else if (word == "--sensor-polarity") {
      a.sensorPolarity = true;
    } else if (word == "--level") {
      a.level = number(value(), word);
      if (a.level < VD_SECURITYMIN || a.level > VD_SECURITYMAX) usageError("--level wants 1 to 5");
    } else if (word.rfind("--", 0) == 0) {
      usageError("unknown option " + word);
    } else {
      a.words.push_back(word);
    }
  }
  if (!a.fingers.empty() && a.sensorFingers) usageError("--finger and --sensor do not go together");
  return a;
}

class Session {
 public:
  Session(const Arguments& args, PasswordInput& passwords, std::ostream& out, std::ostream& err)
      : args_(args),
        passwords_(passwords),
        out_(out),
        err_(err),
        registry_(platform::Registry::CurrentUser),
        accounts_(registry_),
        programKey_(store::fixed::programKey()) {
    if (!registry_.isOpen()) fail(Failure(Problem::RegistryFailed, registry_.errorString()));
  }

  void expectWords(std::size_t n, const char* shape) {
    if (args_.words.size() != n) usageError(std::string("usage: lockmere-account ") + shape);
  }
  void expectNoFingers(const char* command) {
    if (!args_.fingers.empty() || args_.sensorFingers)
      usageError(std::string(command) + " takes no --finger or --sensor");
  }

  std::string password(const std::string& prompt) {
    auto p = passwords_.read(prompt);
    if (!p) usageError(passwords_.error());
    return *p;
  }
  std::string newPassword(const std::string& prompt) {
    auto p = passwords_.readNew(prompt);
    if (!p) usageError(passwords_.error());
    return *p;
  }
  UnlockedAccount unlock(const std::string& id) {
    std::string p = password("Password of " + id);
    auto account = unlockWithPassword(accounts_, id, p, programKey_);
    crypto::wipe(p);
    return take(std::move(account));
  }

  // The fingers the options name; none without options.
  std::vector<tagENROLL> fingers(const std::string& exceptId) {
    const auto known = store::loadAllTemplateRecords(accounts_.userFiles(exceptId), programKey_);
    if (args_.sensorFingers) return take(enrollAtSensor(args_.sensorFingers, args_.level, known, err_));
    std::vector<tagENROLL> out;
    if (args_.fingers.empty()) return out;
    const ImageEnroller enroller;
    const bio::RecordSearch search;
    if (!enroller.isLoaded()) fail(Failure(Problem::FingerprintLibraryMissing, enroller.errorString()));
    for (std::size_t f = 0; f < args_.fingers.size(); ++f) {
      const auto& files = args_.fingers[f];
      auto enrolled = enroller.enrollFiles({files[0], files[1], files[2]}, args_.sensorPolarity, args_.level);
      if (!enrolled && enrolled.failure().problem == Problem::FingerRefused)
        fail(Failure(Problem::FingerRefused, "finger " + std::to_string(f + 1) + ", " + enrolled.failure().detail));
      const tagENROLL finger = take(std::move(enrolled));
      store::TemplateRecords taken = known;
      if (const auto own = makeRecords("-", out)) taken.append(*own);
      if (findEnrolledFinger(search, finger, taken))
        fail(Failure(Problem::FingerAlreadyEnrolled, "finger " + std::to_string(f + 1)));
      out.push_back(finger);
    }
    return out;
  }

  int newUser() {
    expectWords(2, "new ID [--finger IMG1,IMG2,IMG3]... [--sensor N] [--sensor-polarity] [--level N]");
    NewAccount account;
    account.id = args_.words[1];
    if (const Problem p = checkNewId(account.id); p != Problem::None) fail(Failure(p, account.id));
    if (accounts_.find(account.id)) fail(Failure(Problem::IdExists, account.id));
    account.password = newPassword("New password of " + account.id);
    account.fingers = fingers({});
    AccountCreation creation(accounts_, programKey_);
    const auto path = creation.create(account);
    crypto::wipe(account.password);
    take(path);
    out_ << account.id << " created with " << account.fingers.size() << " finger(s): " << *path << "\n";
    return kExitOk;
  }

  int passwd() {
    expectWords(2, "passwd ID");
    expectNoFingers("passwd");
    const UnlockedAccount account = unlock(args_.words[1]);
    std::string fresh = newPassword("New password of " + account.id);
    const Failure failed = changePassword(accounts_, account, fresh, programKey_);
    crypto::wipe(fresh);
    check(failed);
    return kExitOk;
  }

  int enroll() {
    expectWords(2, "enroll ID (--finger IMG1,IMG2,IMG3... | --sensor N) [--sensor-polarity] [--level N]");
    if (args_.fingers.empty() && !args_.sensorFingers) usageError("enroll wants --finger or --sensor");
    const UnlockedAccount account = unlock(args_.words[1]);
    auto enrolled = fingers(account.id);
    check(replaceFingerprints(accounts_, account, enrolled, programKey_));
    out_ << account.id << " has " << enrolled.size() << " finger(s) now\n";
    return kExitOk;
  }

  int remove() {
    expectWords(2, "delete ID");
    expectNoFingers("delete");
    std::string p = password("Password of " + args_.words[1]);
    auto values = confirmPassword(accounts_, args_.words[1], p, programKey_);
    crypto::wipe(p);
    check(deleteAccount(accounts_, take(std::move(values))));
    return kExitOk;
  }

  int backup() {
    expectWords(3, "backup ID FILE");
    expectNoFingers("backup");
    const UnlockedAccount account = unlock(args_.words[1]);
    const BackupContents contents = take(collectBackup(accounts_, account.id));
    check(writeBackupFile(args_.words[2], contents));
    return kExitOk;
  }

  int restore() {
    expectWords(2, "restore FILE");
    expectNoFingers("restore");
    const BackupContents backup = take(readBackupFile(args_.words[1]));
    RestoreRequest request;
    request.backupPassword = password("Password of " + backup.id + " in the backup");
    if (const auto existing = existingUser(accounts_, backup))
      request.currentPassword = password("Current password of " + *existing + ", which the backup replaces");
    const auto done = restoreAccount(accounts_, backup, request, programKey_);
    crypto::wipe(request.backupPassword);
    if (request.currentPassword) crypto::wipe(*request.currentPassword);
    take(done);
    out_ << done->id << (done->replaced ? " replaced: " : " restored: ") << done->dataFile << "\n";
    return kExitOk;
  }

  int import() {
    expectWords(3, "import ID FILE.csv");
    expectNoFingers("import");
    const UnlockedAccount account = unlock(args_.words[1]);
    const ImportSummary s = take(importCsvFile(accounts_, account, args_.words[2]));
    out_ << s.added << " site(s) imported into the folder \"" << s.folder << "\" (" << formatName(s.format)
         << "); left out: " << s.alreadyThere << " already stored, " << s.withoutAddress << " without a web address, "
         << s.notLogins << " not logins\n";
    return kExitOk;
  }

  int exportSites() {
    expectWords(3, "export ID FILE.csv");
    expectNoFingers("export");
    const UnlockedAccount account = unlock(args_.words[1]);
    const int count = take(exportCsvFile(account, args_.words[2]));
    out_ << count << " site(s) written to " << args_.words[2]
         << ". The file is not encrypted: delete it once it has served.\n";
    return kExitOk;
  }

  int list() {
    expectWords(1, "list");
    for (const std::string& id : take(accounts_.ids())) out_ << id << "\n";
    return kExitOk;
  }

  int checkPassword() {
    expectWords(2, "check ID");
    expectNoFingers("check");
    unlock(args_.words[1]);
    return kExitOk;
  }

  int identify() {
    expectWords(2, "identify IMG [--sensor-polarity]");
    const auto image = take(loadFingerImage(args_.words[1], args_.sensorPolarity));
    const bio::RecordSearch search;
    if (!search.isLoaded()) fail(Failure(Problem::FingerprintLibraryMissing, search.errorString()));
    bio::RecordSearch::Result why;
    const auto probe = search.extract(image.data(), &why);
    if (!probe) fail(Failure(Problem::ImageUnusable, slotFillProblem(why.error)));
    // Everybody's records in the registry's order, as the login window loads them.
    const auto records = store::loadAllTemplateRecords(accounts_.userFiles(), programKey_);
    std::size_t first = 0;
    while (first < records.count()) {
      const auto hit = search.identify(*probe, records.data(), records.count(), first);
      if (hit.failed()) fail(Failure(Problem::FingerprintLibraryMissing, hit.message));
      if (!hit.matched()) break;
      const auto index = static_cast<std::size_t>(hit.index);
      if (const auto owner = unwrapOwner(records, index)) {
        out_ << *owner << "\n";
        return kExitOk;
      }
      first = index + 1;  // that record's Key2 does not open: look further
    }
    return kExitFailed;
  }

 private:
  std::optional<std::string> unwrapOwner(const store::TemplateRecords& records, std::size_t index) {
    const auto owner = store::keys::fingerprintOwner(records, index);
    if (!owner) return std::nullopt;
    const auto values = accounts_.read(*owner);
    if (!values) return std::nullopt;
    const auto header = readDataFileHeader(values->dataFile);
    if (!header) return std::nullopt;
    const auto key = store::keys::unwrapByFingerprint(records, index, values->key2.data(), values->key2.size(), *header,
                                                      programKey_);
    if (!key) return std::nullopt;
    return values->id;
  }

  const Arguments& args_;
  PasswordInput& passwords_;
  std::ostream& out_;
  std::ostream& err_;
  platform::Registry registry_;
  AccountRegistry accounts_;
  crypto::SecureBytes programKey_;
};

}  // namespace

std::string usage() {
  return "usage: lockmere-account COMMAND ...\n"
         "  new ID [--finger IMG1,IMG2,IMG3]... [--sensor N]   create a user (new password on standard input)\n"
         "  passwd ID                                         change the password (old, then new)\n"
         "  enroll ID (--finger IMG1,IMG2,IMG3... | --sensor N)  enroll the user's fingers anew\n"
         "  delete ID                                         delete the user and the data file\n"
         "  backup ID FILE                                    write the account into a backup file\n"
         "  restore FILE                                      restore an account from a backup file\n"
         "  import ID FILE.csv                                add sites from a Chromium, Firefox,\n"
         "                                                    Bitwarden or KeePassXC export\n"
         "  export ID FILE.csv                                write the sites as CSV (not encrypted)\n"
         "  list                                              the users, one a line\n"
         "  check ID                                          exit 0 when the password opens the account\n"
         "  identify IMG                                      print the user whose finger the image shows\n"
         "options:\n"
         "  --sensor-polarity   images have bright ridges, as the sensor delivers them (default: dark\n"
         "                      ridges on a light ground, as on paper)\n"
         "  --level N           security level 1..5 of enrolled templates (default 5)\n"
         "Images are PGM or PNG, 300 x 300. Passwords are read from standard input, never from the command\n"
         "line: at a terminal a new password is asked twice; from a pipe each password is one line, in the\n"
         "order the command asks for them (restore: the backup's password, then, if the user exists, its\n"
         "current password).\n";
}

int run(const std::vector<std::string>& arguments, PasswordInput& passwords, std::ostream& out, std::ostream& err) {
  try {
    if (arguments.empty()) usageError("no command");
    if (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help") {
      out << usage();
      return kExitOk;
    }
    const Arguments args = parse(arguments);
    if (args.words.empty()) usageError("no command");
    Session session(args, passwords, out, err);
    using Command = int (Session::*)();
    static const std::map<std::string, Command> commands{
        {"new", &Session::newUser},         {"passwd", &Session::passwd},      {"enroll", &Session::enroll},
        {"delete", &Session::remove},       {"backup", &Session::backup},      {"restore", &Session::restore},
        {"import", &Session::import},       {"export", &Session::exportSites}, {"list", &Session::list},
        {"check", &Session::checkPassword}, {"identify", &Session::identify}};
    const auto command = commands.find(args.words[0]);
    if (command == commands.end()) usageError("unknown command " + args.words[0]);
    return (session.*(command->second))();
  } catch (const Stop& stop) {
    err << "lockmere-account: " << stop.text << std::endl;
    return stop.status;
  } catch (const std::exception& e) {
    err << "lockmere-account: " << e.what() << std::endl;
    return kExitFailed;
  }
}

}  // namespace account::cli
