// Loads the built liborvane_pi.so the way a chart plotter does, with the
// test host's operations exported from this program.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include <wx/frame.h>

#include "plugin_loader.h"
#include "test_host.h"
#include "test_support.h"

namespace orvane {
namespace {

std::string Capture(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

TEST(PluginLibrary, ExportsOnlyCreateAndDestroyUnmangled) {
  const std::string out = Capture("nm -D --defined-only '" ORVANE_PLUGIN_PATH "'");
  std::set<std::string> names;
  std::istringstream lines(out);
  std::string addr, kind, name;
  while (lines >> addr >> kind >> name) names.insert(name);
  EXPECT_EQ(names, (std::set<std::string>{"create_pi", "destroy_pi"}));
}

TEST(PluginLibrary, LeavesTheHostOperationsToTheHost) {
  const std::string out = Capture("nm -D --undefined-only '" ORVANE_PLUGIN_PATH "'");
  for (const char* op : {"InsertPlugInTool", "GetOCPNCanvasWindow", "RequestRefresh"})
    EXPECT_NE(out.find(op), std::string::npos) << op;
}

TEST(PluginLoader, OpensStartsAndStopsThePlugin) {
  test::TempDataRoot root;
  testhost::Reset();
  auto* canvas = new wxFrame(nullptr, wxID_ANY, "canvas");
  testhost::Host().canvas = canvas;

  host::PluginLoader bad;
  std::string error;
  EXPECT_FALSE(bad.Open("/nonexistent/liborvane_pi.so", &error));
  EXPECT_FALSE(error.empty());

  host::PluginLoader loader;
  ASSERT_TRUE(loader.Open(ORVANE_PLUGIN_PATH, &error)) << error;
  EXPECT_EQ(loader.Start(nullptr), 0x0008891F);
  ASSERT_NE(loader.plugin(), nullptr);
  EXPECT_EQ(loader.plugin()->GetCommonName(), "Orvane");
  ASSERT_EQ(testhost::Host().tools.size(), 1u);
  EXPECT_EQ(testhost::Host().tools[0].plugin, loader.plugin());
  loader.plugin()->OnToolbarToolCallback(testhost::Host().tools[0].id);
  loader.Stop();
  EXPECT_EQ(loader.plugin(), nullptr);
  loader.Stop();  // twice is harmless
  canvas->Destroy();
}

}  // namespace
}  // namespace orvane
