#pragma once
// Identifiers of the installer window's controls, as the commands they send carry them.

enum InstallerControlId : unsigned {
  IDC_CLOSE = 10001,
  IDC_INSTALL = 10002,
  IDC_AGREE = 10003,
  IDC_LICENSE = 10004,
  IDC_CHANGE_DIR = 10005,
  IDC_WEB_DOWNLOAD = 10006,
  IDC_RUN = 10007,
  IDC_RETRY = 10008,
  IDC_TITLE = 10021,
  IDC_AGREE_TEXT = 10022,
  IDC_INSTALL_TO = 10023,
  IDC_SMALL_TITLE = 10024,
  IDC_FEATURE1 = 10025,  // to IDC_FEATURE1 + 3
  IDC_INSTALLING = 10029,
  IDC_FAILED = 10030,
  IDC_FINISHED = 10031,
  IDC_SLOGAN = 10032,
  IDC_INSTALL_DIR = 10041,
  IDC_PROGRESS = 10042,
};
