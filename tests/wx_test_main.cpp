// Test main for programs that need the toolkit: starts wx (under Xvfb when
// there is no display), runs the tests, shuts wx down.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdlib>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests (at build time) needs no display.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  // The plug-in fetches as soon as it starts; unless a test serves its own
  // portal, that fetch meets a closed loopback port, never the network.
  setenv("ORVANE_PORTAL_URL", "http://127.0.0.1:9", 0);
  wxApp::SetInstance(new wxApp());
  if (!wxEntryStart(argc, argv) || !wxTheApp || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "cannot start the toolkit (is there a display?)\n");
    return 1;
  }
  wxLog::SetActiveTarget(new wxLogStderr());  // no message boxes for log lines
  const int rc = RUN_ALL_TESTS();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return rc;
}
