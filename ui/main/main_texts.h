// The main window's fixed texts, help ids and setting defaults.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace bridgit::ui {

inline constexpr const char* kOrganisation = "Orrindale";
inline constexpr const char* kApplication = "Bridgit";
inline constexpr const char* kCaptionPrefix = "Confidential Test, Do not Copy.  ";
inline constexpr const char* kWindowSubKey = "Connectivity";
inline constexpr const char* kRootCaptionUnknown = "ZQ ?";
// The dynamic property that keeps a menu item's shortcut while it is taken away.
inline constexpr const char* kShortcutProperty = "menuShortcut";

inline constexpr const char* kHintQuickConnect = "Quick connect to the calculator.";
inline constexpr const char* kHintDisconnect = "Disconnect from the calculator.";
inline constexpr const char* kHintBinaryMode = "Binary transfer mode, press for text mode";
inline constexpr const char* kHintTextMode = "Text transfer mode, press for binary mode";
// The mode item's captions: the hints with their Alt letter.
inline constexpr const char* kCaptionBinaryMode = "Binary &transfer mode, press for text mode";
inline constexpr const char* kCaptionTextMode = "Text &transfer mode, press for binary mode";
// What a screen reader says for the tool buttons, which show only an icon.
inline constexpr const char* kNameConnect = "Connect";
inline constexpr const char* kNameDisconnect = "Disconnect";
inline constexpr const char* kNameCapture = "Capture calculator screen";
inline constexpr const char* kNameTextMode = "Switch to text mode";
inline constexpr const char* kNameBinaryMode = "Switch to binary mode";
inline constexpr const char* kNameFolders = "Calculator folders";
inline constexpr const char* kNameObjects = "Objects in this folder";
inline constexpr const char* kCaptionConnect = "&Connect...";
inline constexpr const char* kHintConnect = "Show dialog and open the communications port to the calculator.";
inline constexpr const char* kCaptionDisconnect = "Dis&connect";
inline constexpr const char* kHintDisconnectMenu = "Close the communications port to the calculator.";
inline constexpr const char* kCaptionCopyText = "&Copy (Text)";
inline constexpr const char* kCaptionCopyBinary = "&Copy (Binary)";

// Texts of the file commands.
inline constexpr const char* kCanceledByUser = "Canceled by user";
inline constexpr const char* kNewFolderName = "New";
inline constexpr const char* kEraseCaption = "Erase Calculator?";
inline std::string EraseQuestion(const std::string& fileName) {
  return fileName + "\r\n\r\n" + "Is a Calculator Backup file.\r\n" +
         "Continuing will erase the calculator's current contents.\r\n\r\n" + "Continue the Restore operation?";
}
// A calculator has no undo: a folder that holds anything goes only when agreed.
inline constexpr const char* kDeleteFolderCaption = "Delete Folder?";
inline std::string DeleteFolderQuestion(const std::string& folder, long long count) {
  return "The folder " + folder + " holds " + std::to_string(count) + (count == 1 ? " object" : " objects") +
         ".\r\n\r\nDelete it with everything in it?\r\nThe calculator cannot undo this.";
}
inline constexpr const char* kEditErrorCaption = "Edit Error";
inline std::string EditErrorText(const std::string& editor, const std::string& file) {
  return "Cannot start the editor (" + editor + ")\r\n\r\nor the file, " + file + "\r\n\r\nis missing.";
}
// An editor that needs a terminal, and none to run it in.
inline std::string NoTerminalText(const std::string& editor) {
  return "Cannot start the editor (" + editor + "): it runs in a terminal, and no terminal program was found." +
         "\r\n\r\nSet TERMINAL to a terminal program, or choose a graphical editor under View, Options.";
}
inline constexpr const char* kEditCaption = "Edit as Text";
inline constexpr const char* kSavedPrompt = "Press OK when you have saved your changes in the editor";
inline constexpr const char* kWriteErrorCaption = "Write Error";
// The edited file stays, and the message says where it is.
inline std::string WriteErrorText(const std::string& file) {
  return "Cannot write changes to the calculator.\r\n\r\nYour changes are kept in " + file;
}

// Work on several objects, in the progress dialog.
inline std::string ObjectOfRun(int index, int count, const std::string& name) {
  return "Object " + std::to_string(index) + " of " + std::to_string(count) + ": " + name;
}
inline constexpr const char* kStoppingAfterObject = "Stopping once this object is through...";

// Help context ids: 5000 and above (in the last four digits) are pages.
inline constexpr int kHelpDirectory = 125000;
inline constexpr int kHelpCommunications = 125001;
inline constexpr int kHelpStatusBar = 125002;
inline constexpr int kHelpSpeed = 125003;
inline constexpr int kHelpTroubleShooting = 125004;
inline constexpr int kHelpTextFiles = 125005;
inline constexpr int kHelpBackup = 125006;
inline constexpr int kHelpDragDrop = 125007;
inline constexpr int kHelpManualTransfers = 125008;
inline constexpr int kHelpOptions = 125009;
inline constexpr int kHelpLog = 125010;
inline constexpr int kHelpCaptureWindow = 135000;
inline constexpr int kHelpCommandWindow = 145000;

inline QStringList Speeds() { return {"4800", "9600", "14400", "19200", "38400", "57600", "115200"}; }
inline constexpr const char* kDefaultPort = "Auto";
inline constexpr const char* kDefaultSpeed = "115200";
// How the person acts on a connection hint in the window.
inline constexpr const char* kHintSetSpeed = "choose it in the speed box beside the port";
inline constexpr const char* kHintListPorts = "The port box lists the ports that can be opened.";
inline constexpr const char* kFallbackSpeed = "9600";

// List view styles ("DirViewStyle").
enum TViewStyle : int { kStyleLargeIcons = 0, kStyleSmallIcons = 1, kStyleList = 2, kStyleReport = 3 };

}  // namespace bridgit::ui
