# The three modal dialogs: tag editor, MultiTag, settings.
add_library(sonadex_dialogs STATIC DialogControls.cpp TagEditDlg.cpp MultiTagDlg.cpp SettingsDlg.cpp
  UnholdableText.cpp JournalSession.cpp LanguageQText.cpp ElidedLabel.cpp FailureReasonText.cpp ProgressWindow.cpp)
target_link_libraries(sonadex_dialogs
  PUBLIC Qt6::Widgets sonadex_tag sonadex_table
  PRIVATE sonadex_platform_qt sonadex_naming sonadex_ops sonadex_language sonadex_settings)
