// The numbers of the language texts, named after their use.
#pragma once

#include <array>

namespace text {

constexpr int kAbout = 4;           // About menu entry
constexpr int kLanguage = 41;       // settings: language box label (":" appended)
constexpr int kSubfolders = 45;     // include subfolders (check boxes; Rename all asks it with "?")
constexpr int kExit = 53;           // Exit menu entry
constexpr int kSettings = 54;       // settings dialog caption and menu entry
constexpr int kClose = 58;          // tag editor: Close button
constexpr int kFilesProcessed = 60; // after "%d ": result of Rename all and MultiTag
constexpr int kNoSettings = 61;     // start-up: the settings key cannot be opened
constexpr int kDeleteFiles = 62;    // after "%d ": question before Delete
constexpr int kFile = 63;           // first top-level menu and file name column
constexpr int kSize = 64;           // file size column
constexpr int kArtist = 65;         // the six tag fields, in placeholder order
constexpr int kTitle = 66;
constexpr int kAlbum = 67;
constexpr int kYear = 68;
constexpr int kGenre = 69;
constexpr int kComment = 70;
constexpr int kFiles = 71;            // after the file count in the status bar
constexpr int kPage = 72;             // before the page numbers of the printout
constexpr int kSettingsNotSaved = 73; // settings dialog: OK could not write
constexpr int kPlay = 74;             // the menu entries relabelled after a language change
constexpr int kCtrl = 75;
constexpr int kRename = 76; // also the tag editor's button and the settings' group box
constexpr int kRenameAll = 77;
constexpr int kRemoveTag = 78;
constexpr int kDelete = 79;
constexpr int kDel = 80;
constexpr int kMultiTag = 81; // also the MultiTag dialog's caption
constexpr int kPrint = 82;
constexpr int kPrintPreview = 83;
constexpr int kPrintSetup = 84;
constexpr int kView = 85;
constexpr int kRefresh = 86;
constexpr int kSelectAll = 87;
constexpr int kToolbar = 88;
constexpr int kStatusBar = 89;
constexpr int kOk = 90;
constexpr int kCancel = 91;
constexpr int kFileName = 92;      // print settings: file name column
constexpr int kFileSize = 93;      // print settings: file size column
constexpr int kPrintSettings = 94; // print settings dialog caption
constexpr int kExample = 95;       // settings: pattern example label (":" appended)
constexpr int kAskMissing = 96;    // settings: ask for missing information
constexpr int kSave = 97;          // tag editor: Save button

// Texts that language files copied before them may lack: not in kRequired,
// read with GetTextOrBuiltIn (FallbackText.h).
constexpr int kUnholdableCharacter = 100; // "%1" field, "%2" character, "%3" code page number
constexpr int kPatternField = 101;        // the rename pattern as the field named by 100
constexpr int kTagsNotRemoved = 110;      // Remove tag: heading of the files it could not write
constexpr int kFilesNotDeleted = 111;     // Delete: heading of the files it could not delete
constexpr int kLinksSkipped = 112;        // Rename all: heading of the links leading outside the folder
constexpr int kUndo = 120;                // Undo menu entry
constexpr int kUndone = 121;              // Undo: "%1" command, "%2" files restored, "%3" skipped
constexpr int kNothingToUndo = 122;       // Undo with no operation left to take back
constexpr int kJournalNotWritten = 123;   // heading of the reason the undo journal cannot be written
constexpr int kUndoneOne = 124;           // kUndone for one file restored: "%1" command, "%3" skipped
// Why Undo skipped a file, after its name and ": " (journal::SkipReason).
constexpr int kUndoOtherFile = 125;
constexpr int kUndoChangedSince = 126;
constexpr int kUndoMovedSince = 127;
constexpr int kUndoOldNameTaken = 128;
constexpr int kUndoNotInTrash = 129; // not in the trash where the journal expects it
constexpr int kUndoLeftTrash = 130;  // no longer in the trash
constexpr int kUndoNameTaken = 131;
constexpr int kUndoUnknownChange = 132;
constexpr int kFileAccessFailed = 133; // "%1" file, "%2" the system's reason
constexpr int kTagNotSaved = 134;      // tag editor: "%1" file name, "%2" the system's reason
constexpr int kFilesNotTagged = 135;   // MultiTag: heading of its failures, "%1" their count
constexpr int kOneNotTagged = 136;     // kFilesNotTagged for one failure
constexpr int kPrintFailed = 137;      // the printer could not be opened
constexpr int kNoPrinter = 138;        // direct print without a printer set up
constexpr int kQtLocale = 139;         // the locale of Qt's own translations ("de"); none: Qt's English
constexpr int kCodePageRefused = 140;  // "%1" the value, "%2" its name, "%3" why (141 to 144)
constexpr int kCodePageNotNumber = 141;
constexpr int kCodePageUnknown = 142;
constexpr int kCodePageMultiByte = 143;
constexpr int kCodePageChangesAscii = 144;
constexpr int kOneFile = 150;             // after the count 1 where kFiles follows any other count
// Why MultiTag could not tag a file or folder (after its path, in brackets);
// the system's words follow 160 and 161 where it gave a reason.
constexpr int kCannotOpen = 160;
constexpr int kCannotWrite = 161;
constexpr int kChangedMeanwhile = 162;
constexpr int kLinkOutside = 163;
constexpr int kNameUnaddressable = 164;
constexpr int kFolderUnreadable = 165;
constexpr int kProgressCount = 170;  // progress dialog of long work: "%1" files done, "%2" files found
constexpr int kStoppedAfter = 171;   // after Cancel stopped a command: "%1" files done, "%2" chosen
constexpr int kReadingFolder = 180;  // status bar while a slow folder is read: "%1" files read, "%2" found
constexpr int kReadingStopped = 181; // status bar after Esc stopped the reads: "%1" the summary of the rows read

// The headings of the file list's columns, left to right.
constexpr std::array<int, 8> kColumnHeadings = {kFile, kSize, kArtist, kTitle, kAlbum, kYear, kGenre, kComment};

// Every number a language file must hold a row for.
constexpr std::array<int, 44> kRequired = {kAbout,
                                           kLanguage,
                                           kSubfolders,
                                           kExit,
                                           kSettings,
                                           kClose,
                                           kFilesProcessed,
                                           kNoSettings,
                                           kDeleteFiles,
                                           kFile,
                                           kSize,
                                           kArtist,
                                           kTitle,
                                           kAlbum,
                                           kYear,
                                           kGenre,
                                           kComment,
                                           kFiles,
                                           kPage,
                                           kSettingsNotSaved,
                                           kPlay,
                                           kCtrl,
                                           kRename,
                                           kRenameAll,
                                           kRemoveTag,
                                           kDelete,
                                           kDel,
                                           kMultiTag,
                                           kPrint,
                                           kPrintPreview,
                                           kPrintSetup,
                                           kView,
                                           kRefresh,
                                           kSelectAll,
                                           kToolbar,
                                           kStatusBar,
                                           kOk,
                                           kCancel,
                                           kFileName,
                                           kFileSize,
                                           kPrintSettings,
                                           kExample,
                                           kAskMissing,
                                           kSave};

} // namespace text
