// lockmere-account as scripts use it: a process, passwords on standard input,
// results on standard output, one line on standard error when it fails.
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <filesystem>
#include <fstream>

#include "ridgeport/sim/DriverInstallation.h"
#include "tests/account/ToolFixture.h"
#include "tests/support/TestEnv.h"

namespace account::test {
namespace {

struct Ran {
  int status = -1;
  std::string out;
  std::string err;
};

class CliTest : public ToolTest {
 protected:
  Ran run(const QStringList& arguments, const std::string& input = {}) {
    QProcess p;
    p.start(QString::fromStdString(testenv::binDir() + "/lockmere-account"), arguments);
    EXPECT_TRUE(p.waitForStarted());
    p.write(input.data(), qint64(input.size()));
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
  }
  static QString finger(const std::string& f) {
    return QString::fromStdString(imagePath(f, 1) + "," + imagePath(f, 2) + "," + imagePath(f, 3));
  }
  static QString image(const std::string& f, int impression) {
    return QString::fromStdString(imagePath(f, impression));
  }
  static int lines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }
};

TEST_F(CliTest, NewUserFromImagesIsIdentifiedAndChecked) {
  Ran r = run({"new", "Vic", "--finger", finger("104"), "--finger", finger("108")}, "vic's password\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  r = run({"new", "Wen", "--finger", finger("105")}, "wen\n");
  ASSERT_EQ(r.status, 0) << r.err;

  EXPECT_EQ(run({"identify", image("104", 6)}).out, "Vic\n");
  EXPECT_EQ(run({"identify", image("108", 7)}).out, "Vic\n");
  EXPECT_EQ(run({"identify", image("105", 7)}).out, "Wen\n");
  r = run({"identify", image("110", 6)});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");

  EXPECT_EQ(run({"check", "Vic"}, "vic's password\n").status, 0);
  r = run({"check", "Vic"}, "not vic's\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(lines(r.err), 1);
  EXPECT_NE(r.err.find("password is not right"), std::string::npos) << r.err;
  EXPECT_EQ(run({"list"}).out, "Vic\nWen\n");
}

TEST_F(CliTest, ImagesAsTheSensorDeliversThemNeedTheirPolarityNamed) {
  // PNG files with bright ridges.
  QStringList files;
  for (int i : {1, 2, 3, 5}) {
    QImage picture(QString::fromStdString(imagePath("109", i)));
    ASSERT_FALSE(picture.isNull());
    picture.invertPixels();
    const QString path = QString::fromStdString(home_) + QString("/109_%1.png").arg(i);
    ASSERT_TRUE(picture.save(path));
    files << path;
  }
  const Ran made = run({"new", "Xia", "--sensor-polarity", "--finger", files.mid(0, 3).join(',')}, "xia\n");
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(run({"identify", files[3], "--sensor-polarity"}).out, "Xia\n");
  EXPECT_EQ(run({"identify", image("109", 5)}).out, "Xia\n");
}

TEST_F(CliTest, UsageAndInputMistakesSayWhatIsWrong) {
  for (const auto& [arguments, input] : std::vector<std::pair<QStringList, std::string>>{
           {{"new"}, "pw\n"},
           {{"new", "Yan", "extra"}, "pw\n"},
           {{"new", "Yan"}, ""},  // no password line
           {{"launch"}, ""},
           {{"new", "Yan", "--finger", "a.pgm,b.pgm"}, "pw\n"},
           {{"new", "Yan", "--level", "9"}, "pw\n"},
           {{"check", "Yan", "--password", "pw"}, ""},  // passwords are never arguments
       }) {
    const Ran r = run(arguments, input);
    EXPECT_EQ(r.status, 2) << arguments.join(' ').toStdString();
    EXPECT_EQ(lines(r.err), 1) << r.err;
  }
  const std::string small = home_ + "/small.png";
  QImage(200, 300, QImage::Format_Grayscale8).save(QString::fromStdString(small));
  Ran r = run({"new", "Yan", "--finger", QString::fromStdString(small + "," + small + "," + small)}, "pw\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not 300 x 300"), std::string::npos) << r.err;
  r = run({"new", "Yan", "--finger", finger("104") + "," + image("104", 4)}, "pw\n");
  EXPECT_EQ(r.status, 2) << r.err;
  r = run({"new", " Yan"}, "pw\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("blank"), std::string::npos) << r.err;
  EXPECT_EQ(run({"list"}).out, "");  // nothing was created on the way
  EXPECT_TRUE(dataFolderFiles().empty());
}

TEST_F(CliTest, PasswordFingersAndDeletion) {
  ASSERT_EQ(run({"new", "Zoe", "--finger", finger("104")}, "first\n").status, 0);
  ASSERT_EQ(run({"new", "Abe", "--finger", finger("105")}, "abe\n").status, 0);
  Ran r = run({"passwd", "Zoe"}, "wrong\nsecond\n");
  EXPECT_EQ(r.status, 1);
  r = run({"passwd", "Zoe"}, "first\nsecond\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(run({"check", "Zoe"}, "first\n").status, 1);
  EXPECT_EQ(run({"check", "Zoe"}, "second\n").status, 0);
  EXPECT_EQ(run({"identify", image("104", 6)}).out, "Zoe\n");  // Key2 untouched

  r = run({"enroll", "Zoe", "--finger", finger("105")}, "second\n");  // Abe's finger
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("enrolled already"), std::string::npos) << r.err;
  r = run({"enroll", "Zoe", "--finger", finger("107")}, "second\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(run({"identify", image("107", 5)}).out, "Zoe\n");
  EXPECT_EQ(run({"identify", image("104", 6)}).status, 1);

  EXPECT_EQ(run({"delete", "Zoe"}, "first\n").status, 1);
  ASSERT_EQ(run({"delete", "zoe"}, "second\n").status, 0);
  EXPECT_EQ(run({"list"}).out, "Abe\n");
  EXPECT_EQ(dataFolderFiles().size(), 1u);
}

TEST_F(CliTest, BackupRestoreImportExport) {
  const std::string data = std::string(LOCKMERE_SOURCE_DIR) + "/tests/account/data/";
  const QString backup = QString::fromStdString(home_ + "/bea.lmbackup");
  const QString csv = QString::fromStdString(home_ + "/bea.csv");
  ASSERT_EQ(run({"new", "Bea", "--finger", finger("104")}, "bea\n").status, 0);
  Ran r = run({"import", "Bea", QString::fromStdString(data + "firefox.csv")}, "bea\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("2 site(s) imported into the folder \"firefox\" (Firefox)", 0), 0u) << r.out;
  r = run({"import", "Bea", QString::fromStdString(data + "malformed.csv")}, "bea\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("lockmere-account: line 4:", 0), 0u) << r.err;

  ASSERT_EQ(run({"backup", "Bea", backup}, "bea\n").status, 0);
  ASSERT_EQ(run({"delete", "Bea"}, "bea\n").status, 0);
  EXPECT_EQ(run({"restore", backup}, "wrong\n").status, 1);
  r = run({"restore", backup}, "bea\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(run({"identify", image("104", 6)}).out, "Bea\n");
  // Over the existing user: the backup's password, then the current one.
  EXPECT_EQ(run({"restore", backup}, "bea\n").status, 2);  // the second line is missing
  EXPECT_EQ(run({"restore", backup}, "bea\nbea\n").status, 0);

  r = run({"export", "Bea", csv}, "bea\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("not encrypted"), std::string::npos);
  ASSERT_EQ(run({"new", "Cid"}, "cid\n").status, 0);
  r = run({"import", "Cid", csv}, "cid\n");
  EXPECT_EQ(r.out.rfind("2 site(s) imported into the folder \"bea\" (Chromium)", 0), 0u) << r.out << r.err;

  // A damaged backup is refused, and nothing changes.
  std::string bytes;
  {
    std::ifstream in(backup.toStdString(), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  bytes[bytes.size() / 2] ^= 1;
  std::ofstream(backup.toStdString(), std::ios::binary | std::ios::trunc) << bytes;
  r = run({"restore", backup}, "bea\nbea\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("damaged"), std::string::npos) << r.err;
}

TEST_F(CliTest, FingersFromTheSensor) {
  plugSensor();
  QProcess p;
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.start(QString::fromStdString(testenv::binDir() + "/lockmere-account"), {"new", "Dee", "--sensor", "1"});
  ASSERT_TRUE(p.waitForStarted());
  p.write("dee\n");
  p.closeWriteChannel();
  p.setReadChannel(QProcess::StandardError);  // where it tells the user what to do
  // Lays the impression the program asks for, and the next one after a
  // refusal, or when the program has said nothing new for a while (it says a
  // refusal once, however often the same impression is refused).
  const QRegularExpression asks(R"(\((\d)/3\))");
  int impression = 0;
  std::string said;
  auto lastLine = std::chrono::steady_clock::now();
  ASSERT_TRUE(waitUntil(
      [&] {
        while (p.canReadLine() || p.waitForReadyRead(10)) {
          const QString line = QString::fromUtf8(p.readLine());
          if (line.isEmpty()) break;
          said += line.toStdString();
          lastLine = std::chrono::steady_clock::now();
          if ((asks.match(line).hasMatch() || line.contains("again") || line.contains("another")) && impression < 8)
            layFinger("104", ++impression);
        }
        if (std::chrono::steady_clock::now() - lastLine > 4s && impression < 8) {
          layFinger("104", ++impression);
          lastLine = std::chrono::steady_clock::now();
        }
        return p.state() == QProcess::NotRunning;
      },
      90s))
      << said;
  EXPECT_EQ(p.exitCode(), 0) << said;
  EXPECT_NE(said.find("Finger 1: lay it on the sensor (1/3)"), std::string::npos) << said;
  EXPECT_EQ(identify("104", 6), "Dee");
}

}  // namespace
}  // namespace account::test
