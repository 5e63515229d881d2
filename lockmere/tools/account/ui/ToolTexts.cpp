#include "lockmere/tools/account/ui/ToolTexts.h"

#include <array>

#include "lockmere/texts/Language.h"

namespace account::ui {
namespace {

struct Pair {
  const char* korean;
  const char* japanese;
};

// clang-format off
constexpr std::array<Pair, static_cast<std::size_t>(Text::kCount)> kTexts{{
    /* NewUserTitle */ {"Lockmere - 새 사용자 등록", "Lockmere - 新規ユーザー登録"},
    /* BackupTitle */ {"Lockmere - 계정 백업", "Lockmere - アカウントのバックアップ"},
    /* RestoreTitle */ {"Lockmere - 계정 복원", "Lockmere - アカウントの復元"},
    /* PasswordGenTitle */ {"Lockmere - 비밀번호 생성기", "Lockmere - パスワード生成"},
    /* PasswordChangeTitle */ {"Lockmere - 비밀번호 변경", "Lockmere - パスワード変更"},
    /* FingerprintChangeTitle */ {"Lockmere - 지문 변경", "Lockmere - 指紋変更"},
    /* Register */ {"등록 (&O)", "登録 (&O)"},
    /* Change */ {"변경 (&O)", "変更 (&O)"},
    /* Cancel */ {"취소 (&C)", "キャンセル (&C)"},
    /* Close */ {"닫기", "閉じる"},
    /* Browse */ {"찾아보기...", "参照..."},
    /* IdLabel */ {"아이디", "ID"},
    /* PasswordLabel */ {"비밀번호", "パスワード"},
    /* PasswordAgainLabel */ {"비밀번호 확인", "パスワード（確認）"},
    /* NewPasswordLabel */ {"새 비밀번호", "新しいパスワード"},
    /* NewPasswordAgainLabel */ {"새 비밀번호 확인", "新しいパスワード（確認）"},
    /* StrengthWeak */ {"비밀번호 강도: 약함", "パスワードの強度：弱い"},
    /* StrengthFair */ {"비밀번호 강도: 보통", "パスワードの強度：普通"},
    /* StrengthStrong */ {"비밀번호 강도: 강함", "パスワードの強度：強い"},
    /* StrengthAdvice */ {"12자 이상으로 영문 대소문자, 숫자, 기호를 섞어 쓰면 안전합니다.",
                          "12文字以上で英大文字・小文字・数字・記号を混ぜると安全です。"},
    /* NewUserIntro */ {"Lockmere에서 쓸 아이디와 비밀번호를 정하고, 로그인에 쓸 손가락을 등록하세요.",
                        "Lockmereで使うIDとパスワードを決め、ログインに使う指を登録してください。"},
    /* FingersGroup */ {" 지문 등록 ", " 指紋の登録 "},
    /* AddFinger */ {"손가락 추가", "指を追加"},
    /* RemoveFinger */ {"선택한 손가락 삭제", "選択した指を削除"},
    /* StopEnrolling */ {"등록 중지", "登録を中止"},
    /* FingerItem */ {"손가락 %1", "指 %1"},
    /* NoFingerNote */ {"지문을 등록하지 않으면 비밀번호로만 로그인할 수 있습니다.",
                        "指紋を登録しない場合、パスワードでのみログインできます。"},
    /* AdvancedGroup */ {" 고급 설정 ", " 詳細設定 "},
    /* LevelLabel */ {"지문 보안 수준", "指紋のセキュリティレベル"},
    /* LevelNote */ {"(5 = 가장 엄격)", "（5 = 最も厳格）"},
    /* EnrollReady */ {"[손가락 추가]를 누르고 지문인식기에 손가락을 올려 주십시오.",
                       "［指を追加］を押して、指紋センサーに指を置いてください。"},
    /* EnrollLay */ {"지문인식기에 손가락을 올려 주십시오. (%1/3)", "指紋センサーに指を置いてください。(%1/3)"},
    /* EnrollLiftAndLay */ {"손가락을 떼었다가 조금 옮겨서 다시 올려 주십시오. (%1/3)",
                            "指を離し、少しずらしてもう一度置いてください。(%1/3)"},
    /* EnrollOtherFinger */ {"다른 손가락입니다. 처음과 같은 손가락을 올려 주십시오.",
                             "別の指です。最初と同じ指を置いてください。"},
    /* EnrollNotMoved */ {"손가락이 움직이지 않았습니다. 손가락을 떼었다가 다시 올려 주십시오.",
                          "指が動いていません。指を離してからもう一度置いてください。"},
    /* EnrollDone */ {"%1번째 손가락이 등록되었습니다.", "%1本目の指を登録しました。"},
    /* EnrollAlreadyEnrolled */ {"이미 등록된 손가락입니다. 다른 손가락을 등록해 주십시오.",
                                 "この指はすでに登録されています。別の指を登録してください。"},
    /* SensorMissing */ {"지문인식기 Nimbra를 USB포트에 연결하여 주십시오.",
                         "指紋センサーNimbraをUSBポートに接続してください。"},
    /* DriverMissing */ {"지문인식기가 설치되어 있지 않습니다.",
                         "指紋センサーのドライバーがインストールされていません。"},
    /* SensorGone */ {"지문인식기 연결이 끊어졌습니다. 다시 연결하면 계속합니다.",
                      "指紋センサーの接続が切れました。再接続すると続行します。"},
    /* SensorNotOpened */ {"지문인식기를 열 수 없습니다. 다른 프로그램이 쓰고 있는지 확인하십시오.",
                           "指紋センサーを開けません。ほかのプログラムが使用中でないか確認してください。"},
    /* EnrollStopped */ {"등록을 중지했습니다.", "登録を中止しました。"},
    /* FingerprintChangeIntro */ {"%1님의 지문을 새로 등록합니다. 변경하면 전에 등록한 지문으로는 로그인할 수 없습니다.",
                                  "%1 さんの指紋を登録し直します。変更すると、以前の指紋ではログインできなくなります。"},
    /* PasswordChangeIntro */ {"%1님의 새 비밀번호를 입력하세요.", "%1 さんの新しいパスワードを入力してください。"},
    /* PasswordChanged */ {"비밀번호를 변경했습니다.", "パスワードを変更しました。"},
    /* BackupGroup */ {" 백업 파일로 저장 ", " バックアップファイルに保存 "},
    /* BackupIntro */ {"%1님의 계정(지문, 비밀번호, 설정, 저장된 사이트)을 파일 하나에 저장합니다. 사이트 정보는 암호화된 채로 저장됩니다.",
                       "%1 さんのアカウント（指紋、パスワード、設定、保存したサイト）を一つのファイルに保存します。サイト情報は暗号化されたまま保存されます。"},
    /* FileLabel */ {"파일", "ファイル"},
    /* BackupButton */ {"백업", "バックアップ"},
    /* BackupDone */ {"백업했습니다: %1", "バックアップしました：%1"},
    /* ExportGroup */ {" CSV 파일로 내보내기 ", " CSVファイルにエクスポート "},
    /* ExportWarning */ {"주의: CSV 파일은 암호화되지 않습니다. 이 파일을 가진 사람은 누구나 모든 아이디와 비밀번호를 읽을 수 있습니다. 다른 프로그램으로 옮긴 뒤에는 바로 지우십시오.",
                         "注意：CSVファイルは暗号化されません。このファイルを持つ人は誰でも、すべてのIDとパスワードを読めます。ほかのプログラムに移したら、すぐに削除してください。"},
    /* ExportButton */ {"내보내기", "エクスポート"},
    /* ExportDone */ {"사이트 %1개를 내보냈습니다: %2", "%1件のサイトをエクスポートしました：%2"},
    /* ChooseFile */ {"파일을 고르세요.", "ファイルを選んでください。"},
    /* RestoreGroup */ {" 백업에서 복원 ", " バックアップから復元 "},
    /* BackupFileLabel */ {"백업 파일", "バックアップファイル"},
    /* BackupInfo */ {"아이디 %1, %2에 백업", "ID %1、%2 にバックアップ"},
    /* BackupPasswordLabel */ {"백업한 계정의 비밀번호", "バックアップしたアカウントのパスワード"},
    /* ReplaceNotice */ {"아이디 %1 사용자가 이미 있습니다. 복원하면 지금의 계정이 백업의 내용으로 바뀝니다.",
                         "ID %1 のユーザーはすでに存在します。復元すると、現在のアカウントがバックアップの内容に置き換わります。"},
    /* ReplaceConfirm */ {"지금의 계정을 바꿉니다", "現在のアカウントを置き換える"},
    /* CurrentPasswordLabel */ {"%1의 현재 비밀번호", "%1 の現在のパスワード"},
    /* RestoreButton */ {"복원", "復元"},
    /* RestoreDone */ {"%1 사용자를 복원했습니다.", "ユーザー %1 を復元しました。"},
    /* ImportGroup */ {" 다른 프로그램에서 가져오기 (CSV) ", " ほかのプログラムからインポート（CSV） "},
    /* ImportIntro */ {"Chrome, Firefox, Bitwarden, KeePassXC에서 내보낸 CSV 파일의 사이트를 %1님의 계정에 추가합니다.",
                       "Chrome、Firefox、Bitwarden、KeePassXCでエクスポートしたCSVファイルのサイトを %1 さんのアカウントに追加します。"},
    /* ImportNeedsLogin */ {"가져오기는 로그인한 뒤에 할 수 있습니다.", "インポートはログインしてから行えます。"},
    /* ImportButton */ {"가져오기", "インポート"},
    /* ImportDone */ {"사이트 %1개를 '%2' 폴더에 가져왔습니다. (%3 형식)",
                      "%1件のサイトをフォルダ「%2」にインポートしました。（%3形式）"},
    /* ImportLeftOut */ {"이미 있는 사이트 %1개, 웹 주소가 없는 항목 %2개, 로그인이 아닌 항목 %3개는 가져오지 않았습니다.",
                         "既存のサイト%1件、Webアドレスのない項目%2件、ログイン以外の項目%3件はインポートしませんでした。"},
    /* LengthLabel */ {"길이", "長さ"},
    /* UpperClass */ {"영문 대문자 (A-Z)", "英大文字 (A-Z)"},
    /* LowerClass */ {"영문 소문자 (a-z)", "英小文字 (a-z)"},
    /* DigitClass */ {"숫자 (0-9)", "数字 (0-9)"},
    /* SymbolClass */ {"기호 (!#$%&&*+-=?@^_~)", "記号 (!#$%&&*+-=?@^_~)"},  // && shows one &
    /* AvoidLookAlikes */ {"헷갈리는 문자 빼기 (0 O o 1 l I |)", "紛らわしい文字を除く (0 O o 1 l I |)"},
    /* Generate */ {"생성", "生成"},
    /* Copy */ {"복사", "コピー"},
    /* Copied */ {"클립보드에 복사했습니다. 30초 뒤에 지웁니다.", "クリップボードにコピーしました。30秒後に消去します。"},
    /* NoClassChosen */ {"문자 종류를 하나 이상 고르세요.", "文字の種類を一つ以上選んでください。"},
    /* ToolRefused */ {"이 도구를 열 수 없습니다.", "このツールを開けません。"},
}};

struct ProblemPair {
  Problem problem;
  Pair text;
};

constexpr ProblemPair kProblems[] = {
    {Problem::IdEmpty, {"아이디를 입력하세요", "IDを入力してください"}},
    {Problem::IdTooLong, {"아이디가 너무 깁니다. (영문 49자, 한글 24자까지)", "IDが長すぎます。（英数字49文字、ハングル・かな24文字まで）"}},
    {Problem::IdNotCodePage, {"아이디에 쓸 수 없는 문자가 있습니다.", "IDに使えない文字が含まれています。"}},
    {Problem::IdBlankAtEnd, {"아이디의 앞뒤에는 공백을 넣을 수 없습니다.", "IDの前後に空白は使えません。"}},
    {Problem::IdControlCharacter, {"아이디에 제어 문자를 넣을 수 없습니다.", "IDに制御文字は使えません。"}},
    {Problem::IdBackslash, {"아이디에 \\ 문자를 넣을 수 없습니다.", "IDに \\ は使えません。"}},
    {Problem::IdExists, {"이미 있는 아이디입니다. (대문자와 소문자는 구별하지 않습니다)", "このIDはすでに使われています。（大文字と小文字は区別しません）"}},
    {Problem::PasswordEmpty, {"비밀번호를 입력하세요", "パスワードを入力してください"}},
    {Problem::PasswordNotCodePage, {"비밀번호에 쓸 수 없는 문자가 있습니다.", "パスワードに使えない文字が含まれています。"}},
    {Problem::PasswordsDiffer, {"두 비밀번호가 다릅니다.", "二つのパスワードが一致しません。"}},
    {Problem::WrongPassword, {"비밀번호가 올바르지 않습니다.", "パスワードが正しくありません。"}},
    {Problem::NoSuchUser, {"존재하지 않는 아이디 입니다.", "存在しないIDです。"}},
    {Problem::AccountIncomplete, {"사용자 정보가 손상되었습니다.", "ユーザー情報が破損しています。"}},
    {Problem::DataFileMissing, {"데이터 파일이 없습니다.", "データファイルがありません。"}},
    {Problem::DataFileDamaged, {"데이터 파일이 손상되었습니다.", "データファイルが破損しています。"}},
    {Problem::StoreUnreadable, {"저장된 사이트 정보를 읽을 수 없습니다.", "保存されたサイト情報を読み込めません。"}},
    {Problem::DataFolderUnusable, {"데이터 폴더를 만들 수 없습니다.", "データフォルダを作成できません。"}},
    {Problem::DataFileNotWritten, {"데이터 파일을 저장할 수 없습니다. 디스크 공간을 확인하십시오.", "データファイルを保存できません。ディスクの空き容量を確認してください。"}},
    {Problem::RegistryFailed, {"설정 저장소(레지스트리)에 기록할 수 없습니다.", "設定（レジストリ）に書き込めません。"}},
    {Problem::TokenInvalid, {"Lockmere에서 연 도구가 아닙니다.", "Lockmereから開かれたツールではありません。"}},
    {Problem::TokenWrongMarker, {"도구 인증 정보가 올바르지 않습니다.", "ツールの認証情報が正しくありません。"}},
    {Problem::ModificationBlockInvalid, {"계정 정보가 올바르지 않습니다. 다시 로그인한 뒤에 해 보십시오.", "アカウント情報が正しくありません。ログインし直してからお試しください。"}},
    {Problem::FileUnreadable, {"파일을 읽을 수 없습니다.", "ファイルを読み込めません。"}},
    {Problem::FileNotWritten, {"파일을 저장할 수 없습니다.", "ファイルを保存できません。"}},
    {Problem::BackupForeign, {"Lockmere 계정 백업 파일이 아닙니다.", "Lockmereのアカウントバックアップファイルではありません。"}},
    {Problem::BackupNewerFormat, {"더 새로운 버전에서 만든 백업 파일입니다.", "新しいバージョンで作成されたバックアップファイルです。"}},
    {Problem::BackupDamaged, {"백업 파일이 손상되었거나 일부가 없습니다.", "バックアップファイルが破損しているか、一部が欠けています。"}},
    {Problem::BackupOfOtherAccount, {"이 백업은 같은 아이디를 쓰던 이전 계정입니다. 로그아웃한 뒤에 복원하십시오.", "このバックアップは同じIDの以前のアカウントです。ログアウトしてから復元してください。"}},
    {Problem::ReplaceNotConfirmed, {"지금의 계정을 바꾸려면 확인란을 선택하고 현재 비밀번호를 입력하세요.", "現在のアカウントを置き換えるには、チェックを入れて現在のパスワードを入力してください。"}},
    {Problem::CsvMalformed, {"CSV 파일 %1번째 줄이 잘못되었습니다. 아무것도 가져오지 않았습니다.", "CSVファイルの%1行目に誤りがあります。何もインポートしていません。"}},
    {Problem::CsvUnknownFormat, {"알 수 없는 CSV 형식입니다. Chrome, Firefox, Bitwarden, KeePassXC에서 내보낸 파일을 쓰십시오.", "不明なCSV形式です。Chrome、Firefox、Bitwarden、KeePassXCでエクスポートしたファイルを使ってください。"}},
    {Problem::NoFingers, {"손가락을 하나 이상 등록하세요.", "指を一本以上登録してください。"}},
    {Problem::ImageUnreadable, {"이미지를 읽을 수 없습니다.", "画像を読み込めません。"}},
    {Problem::ImageWrongSize, {"이미지가 300 x 300이 아닙니다.", "画像が300 x 300ではありません。"}},
    {Problem::FingerRefused, {"지문을 등록할 수 없습니다.", "指紋を登録できません。"}},
    {Problem::FingerAlreadyEnrolled, {"이미 등록된 손가락입니다.", "この指はすでに登録されています。"}},
    {Problem::FingerprintLibraryMissing, {"지문 라이브러리를 불러올 수 없습니다.", "指紋ライブラリを読み込めません。"}},
    {Problem::SensorUnavailable, {"지문인식기를 쓸 수 없습니다.", "指紋センサーを使用できません。"}},
    {Problem::ImageUnusable, {"이미지에서 지문을 읽을 수 없습니다.", "画像から指紋を読み取れません。"}},
};
// clang-format on

}  // namespace

QString text(Text id, bool japanese) {
  const auto i = static_cast<std::size_t>(id);
  if (i >= kTexts.size()) return {};
  return QString::fromUtf8(japanese ? kTexts[i].japanese : kTexts[i].korean);
}

QString text(Text id) { return text(id, texts::isJapanese()); }

QString problemText(Problem problem, bool japanese) {
  for (const ProblemPair& p : kProblems)
    if (p.problem == problem) return QString::fromUtf8(japanese ? p.text.japanese : p.text.korean);
  return QString::fromStdString(describe(Failure(problem)));
}

QString problemText(const Failure& failure) {
  QString out = problemText(failure.problem, texts::isJapanese());
  if (failure.problem == Problem::CsvMalformed) out = out.arg(failure.line);
  switch (failure.problem) {
    // Only the system can say why a file or the registry failed.
    case Problem::DataFolderUnusable:
    case Problem::DataFileNotWritten:
    case Problem::RegistryFailed:
    case Problem::FileUnreadable:
    case Problem::FileNotWritten:
    case Problem::CsvMalformed:
    case Problem::FingerRefused:
      if (!failure.detail.empty()) out += "\n(" + QString::fromStdString(failure.detail) + ")";
      break;
    default:
      break;
  }
  return out;
}

}  // namespace account::ui
