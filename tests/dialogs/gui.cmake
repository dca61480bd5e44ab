# The dialogs driven through their widgets on the offscreen platform.
find_package(Qt6 REQUIRED COMPONENTS Test)
foreach(dlg TagEditDlg MultiTagDlg SettingsDlg ProgressWindow)
  string(TOLOWER ${dlg} lower)
  add_executable(sonadex_${lower}_tests ${dlg}Test.cpp)
  target_link_libraries(sonadex_${lower}_tests PRIVATE
    sonadex_dialogs sonadex_language sonadex_gui_test_support sonadex_test_support Qt6::Test GTest::gtest)
  gtest_discover_tests(sonadex_${lower}_tests DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endforeach()
