#pragma once

// The choices the window remembers from one run to the next, in the user's configuration
// (~/.config/damdfe/damdfe.conf).

#include <QSettings>
#include <QString>

class TWindowSettings {
 public:
  TWindowSettings();

  // -1 when nothing is remembered.
  int Format() const;
  int Type() const;
  void SetFormat(int index);
  void SetType(int index);

  // Empty when nothing is remembered.
  QString Logo() const;
  void SetLogo(const QString& path);

  // Where a dialog ("xml" or "logo") should open: the folder last chosen from, else the home folder.
  QString StartFolder(const QString& dialog) const;
  void SetFolderOf(const QString& dialog, const QString& chosenFile);

 private:
  QSettings settings_;
};
