// The site tree of a large store: 10,000 sites in 1,000 folders (100 top-level
// folders with 9 sub-folders each, 10 sites in every folder). Building the
// tree after a login, in the model and in the frame, and a search over it.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/web/SiteSearch.h"
#include "lockmere/web/SiteTree.h"

namespace {

struct BigStore {
  store::TLMCateList cates;
  store::TRegSiteList sites;

  BigStore() {
    std::vector<int> folders;
    for (int top = 0; top < 100; ++top) {
      store::TCateItem& t = cates.Cates().add();
      t.Text = "폴더 " + std::to_string(top);
      folders.push_back(t.ID());
      for (int sub = 0; sub < 9; ++sub) {
        store::TCateItem& s = cates.Cates().add();
        s.Text = "Folder " + std::to_string(top) + "." + std::to_string(sub);
        s.ParentID = t.ID();
        folders.push_back(s.ID());
      }
    }
    for (int i = 0; i < 10000; ++i) {
      store::TRegSiteCollItem& site = sites.RegSites().add();
      const std::string n = std::to_string(i);
      site.Name = "사이트 Example " + n;
      site.URL = "https://www.example" + n + ".co.kr/member/login.php";
      site.CateID = folders[static_cast<std::size_t>(i % 1000)];
      site.LoginType = static_cast<std::uint8_t>(1 + i % 5);
    }
  }
};

BigStore& bigStore() {
  static BigStore store;
  return store;
}

void BM_TreeLoad10k(benchmark::State& state) {
  BigStore& s = bigStore();
  web::SiteTree tree;
  for (auto _ : state) {
    tree.load(s.cates, s.sites);
    benchmark::DoNotOptimize(tree.nodeCount());
  }
}
BENCHMARK(BM_TreeLoad10k)->Unit(benchmark::kMillisecond);

// What the user waits for at login: the frame's tree filled and laid out.
void BM_FrameLoad10k(benchmark::State& state) {
  BigStore& s = bigStore();
  web::TExplorerFrame frame;
  frame.resize(300, 600);
  frame.show();
  QApplication::processEvents();
  for (auto _ : state) {
    frame.loadTree(s.cates, s.sites);
    frame.TVRegSite->doItemsLayout();
    benchmark::DoNotOptimize(frame.TVRegSite->model()->rowCount());
  }
}
BENCHMARK(BM_FrameLoad10k)->Unit(benchmark::kMillisecond);

// A search that walks every node: a text that only the last site has, and one
// that none has.
void BM_Search10k(benchmark::State& state) {
  BigStore& s = bigStore();
  web::SiteTree tree;
  tree.load(s.cates, s.sites);
  web::SiteSearch search(tree);
  const QString text = state.range(0) ? QStringLiteral("example 9999") : QStringLiteral("nowhere");
  for (auto _ : state) {
    search.stop();
    const web::SiteSearch::Result r = search.next(text);
    if ((r.outcome == web::SiteSearch::Outcome::Found) != (state.range(0) == 1)) state.SkipWithError("wrong result");
  }
}
BENCHMARK(BM_Search10k)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
