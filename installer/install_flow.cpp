// The install command: the folder's checks, then the install itself.
#include "controls/message_box.h"
#include "installer/downloader_dlg.h"
#include "installer/install_location_rules.h"

void CDownloaderDlg::OnBtnInstall() {
  const LocationRefusal refusal = CheckInstallFolder(
      ReadInstallFolder().str(), [this] { return GetInstallDriveType(); },
      [this] { return CheckDiskSpace() != FALSE; });
  if (refusal != LocationRefusal::None) {
    // A notice with one button: whatever the user does with it, the screen stays as it is.
    CMessageBoxEx notice(NoticeFor(refusal), 0, this);
    notice.DoModal();
    return;
  }
  StartInstall();
}

void CDownloaderDlg::StartInstall() {
  // The folder has passed every check. The install itself (the Installing screen, the
  // download thread, the product key) is not built yet: until it is, nothing more happens.
}
