#include "lockmere/texts/StringTable.h"

#include <QFontDatabase>
#include <array>
#include <mutex>

#include "lockmere/texts/Language.h"

namespace texts {
namespace {

struct Entry {
  const char* korean;
  const char* japanese;
};

// clang-format off
constexpr std::array<Entry, kLastEntry> kEntries{{
    /* M1  */ {"굴림", "MS PGothic"},
    /* M2  */ {"로그인", "ログイン"},
    /* M3  */ {"Lockmere를 이용하면 더욱 편리하고 안전하게", "Lockmereを使えば、もっと便利に、もっと安全に"},
    /* M4  */ {"인터넷을 즐기실 수 있습니다.", "インターネットをお楽しみいただけます。"},
    /* M5  */ {"로그인 하시면 서비스를 이용 하실 수 있습니다.", "ログインするとサービスをご利用いただけます。"},
    /* M6  */ {"파일(&F)", "ファイル(&F)"},
    /* M7  */ {"사이트 추가", "サイト追加"},
    /* M8  */ {"폴더 추가", "フォルダ追加"},
    /* M9  */ {"사이트/폴더 수정", "サイト/フォルダ修正"},
    /* M10 */ {"사이트/폴더 삭제", "サイト/フォルダ削除"},
    /* M11 */ {"파일에서 계정 가져오기(&I)", "ファイルからアカウントを読み込む(&I)"},
    /* M12 */ {"내 계정 파일로 저장(&E)", "マイアカウントをファイルに保存(&E)"},
    /* M13 */ {"내 아이디 삭제(&D)", "マイIDの削除(&D)"},
    /* M14 */ {"종료(&X)", "終了(&X)"},
    /* M15 */ {"보기(&V)", "表示(&V)"},
    /* M16 */ {"목록 펼치기(&O)", "一覧を展開(&O)"},
    /* M17 */ {"목록 접기(&C)", "一覧を折りたたむ(&C)"},
    /* M18 */ {"관리(&T)", "管理(&T)"},
    /* M19 */ {"비밀번호 변경(&P)", "パスワード変更(&P)"},
    /* M20 */ {"지문 변경(&F)", "指紋変更(&F)"},
    /* M21 */ {"비밀번호 생성기(&G)", "パスワード生成(&G)"},
    /* M22 */ {"환경설정(&S)", "環境設定(&S)"},
    /* M23 */ {"도움말(&H)", "ヘルプ(&H)"},
    /* M24 */ {"록미어란?(&A)", "Lockmereについて(&A)"},
    /* M25 */ {"업데이트(&U)", "アップデート(&U)"},
    /* M26 */ {"주소", "アドレス"},
    /* M27 */ {"아 이 디 : ", "Ｉ　Ｄ : "},
    /* M28 */ {"비밀번호 :", "パスワード :"},
    /* M29 */ {"등록된 사이트 검색", "登録サイト検索"},
    /* M30 */ {"로그아웃(&O)", "ログアウト(&O)"},
    /* M31 */ {"Lockmere - 등록", "Lockmere - 登録"},
    /* M32 */ {"등록되지 않은 사이트입니다.\r\n\r\n등록하시려면 여기를 클릭해 주세요",
               "登録されていないサイトです。\r\n\r\n登録するにはここをクリックしてください"},
    /* M33 */ {"지문변경이 완료 되었습니다.", "指紋の変更が完了しました。"},
    /* M34 */ {"구성파일을 찾을 수 없습니다.", "構成ファイルが見つかりません。"},
    /* M35 */ {"이미 Lockmere에 등록된 사이트입니다.", "すでにLockmereに登録されているサイトです。"},
    /* M36 */ {"본 사이트를 Lockmere에 추가할 수 없습니다.", "このサイトはLockmereに追加できません。"},
    /* M37 */ {"본 웹페이지에는 로그인 폼이 없습니다.", "このWebページにはログインフォームがありません。"},
    /* M38 */ {"본 사이트에 로그인할 수 없습니다.", "このサイトにはログインできません。"},
    /* M39 */ {"등록되지 않은 사이트입니다.", "登録されていないサイトです。"},
    /* M40 */ {"Lockmere 열기(&O)", "Lockmereを開く(&O)"},
    /* M41 */ {"암호모듈이 설치되어있지 않습니다.", "暗号モジュールがインストールされていません。"},
    /* M42 */ {"사이트에서 사용하는 암호모듈이 설치되어 있어야 로그인 할 수 있습니다.",
               "ログインするには、サイトが使用する暗号モジュールがインストールされている必要があります。"},
    /* M43 */ {"인증서 읽기에 실패하였습니다.", "証明書の読み込みに失敗しました。"},
    /* M44 */ {"암호화에 실패하였습니다.", "暗号化に失敗しました。"},
    /* M45 */ {"새로 만들 폴더 이름을 입력하세요.", "新しく作るフォルダの名前を入力してください。"},
    /* M46 */ {"스크립트", "スクリプト"},
    /* M47 */ {"검색 결과가 더이상 없습니다.", "これ以上の検索結果はありません。"},
    /* M48 */ {"검색 결과가 없습니다.", "検索結果がありません。"},
    /* M49 */ {"실행할 스크립트가 없습니다.", "実行するスクリプトがありません。"},
    // M50 and M51 are also the placeholders of a script's parameters.
    /* M50 */ {"아이디", "ＩＤ"},
    /* M51 */ {"비밀번호", "パスワード"},
    /* M52 */ {"스크립트를 올바르게 입력하여 주십시오.", "スクリプトを正しく入力してください。"},
    /* M53 */ {"삭제할 대상을 선택해주십시오.", "削除する対象を選択してください。"},
    /* M54 */ {"폴더", "フォルダ"},
    /* M55 */ {"과(와) 폴더의 모든 정보를 삭제하시겠습니까?", "とフォルダ内のすべての情報を削除しますか?"},
    /* M56 */ {"사이트", "サイト"},
    /* M57 */ {"의 정보를 삭제하시겠습니까?", "の情報を削除しますか?"},
    /* M58 */ {"수정할 대상을 선택해주십시오.", "修正する対象を選択してください。"},
    /* M59 */ {"폴더 수정", "フォルダ修正"},
    /* M60 */ {"새로 수정할 폴더 이름을 입력하세요.", "新しいフォルダ名を入力してください。"},
    /* M61 */ {"『", "『"},
    /* M62 */ {"』", "』"},
    /* M63 */ {"검색", "検索"},
    /* M64 */ {"이 버튼을 클릭해서 로그인 할 수 있습니다.", "このボタンをクリックするとログインできます。"},
    // M65 to M75: the login window (L1 to L11).
    /* M65 */ {"아이디와 비밀번호를 입력하세요.", "IDとパスワードを入力してください。"},
    /* M66 */ {"지문을 등록한 경우 지문인식기에\r\n지문을 입력하여 주십시오.",
               "指紋を登録している場合は、指紋センサーに\r\n指を置いてください。"},
    /* M67 */ {"시작시 자동으로 로그인", "起動時に自動でログイン"},
    /* M68 */ {"확인", "OK"},
    /* M69 */ {"취소", "キャンセル"},
    /* M70 */ {"새 사용자 등록", "新規ユーザー登録"},
    /* M71 */ {"아이디를 입력하세요", "IDを入力してください"},
    /* M72 */ {"비밀번호를 입력하세요", "パスワードを入力してください"},
    /* M73 */ {"존재하지 않는 아이디 입니다.", "存在しないIDです。"},
    /* M74 */ {"로그인 할 수 없습니다.", "ログインできません。"},
    /* M75 */ {"비밀번호가 잘못되었거나 데이터 파일이 손상되었습니다.",
               "パスワードが間違っているか、データファイルが破損しています。"},
}};
// clang-format on

void installSubstitutions() {
  static std::once_flag once;
  std::call_once(once, [] {
    QFont::insertSubstitutions(QString::fromUtf8(kEntries[0].korean), substituteFamilies(false));
    QFont::insertSubstitutions(QString::fromUtf8(kEntries[0].japanese), substituteFamilies(true));
  });
}

}  // namespace

QString M(int n, bool japanese) {
  if (n < kFirstEntry || n > kLastEntry) return {};
  const Entry& e = kEntries[static_cast<size_t>(n - 1)];
  return QString::fromUtf8(japanese ? e.japanese : e.korean);
}

QString M(int n) { return M(n, isJapanese()); }

QStringList substituteFamilies(bool japanese) {
  // Nanum Gothic (fonts-nanum) and IPA P Gothic (fonts-ipafont-gothic) are in the
  // package list; the others are what other desktops commonly have.
  if (japanese) return {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic", "TakaoPGothic"};
  return {"NanumGothic", "Noto Sans CJK KR", "Baekmuk Gulim", "UnDotum"};
}

QFont uiFont() {
  installSubstitutions();
  const bool japanese = isJapanese();
  QFont font(M(1, japanese));
  font.setPointSize(japanese ? 8 : 9);
  return font;
}

}  // namespace texts
