// SPDX-License-Identifier: GPL-3.0-or-later
// The one door through which the program asks the user anything modal:
// message boxes, questions, file and folder choices, the print dialog, and the
// busy cursor around long actions. The user interface implements it with real
// dialogs; tests implement it with scripted answers, so no code below the user
// interface ever blocks on a widget.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace karvel {

struct FileRequest {
  enum class Confirm { Load, Save, Ok };
  QString folder;       // empty: the current folder
  QString pattern;      // default pattern, e.g. "*.BUS"
  QString defaultFile;  // a file name (or path) the dialog proposes; empty: none
  QStringList types;    // e.g. {"BUS files (*.BUS)", "HTM files (*.HTM)"}
  QString title;
  Confirm confirm = Confirm::Load;
  bool forceExtension = false;
};

struct FileChoice {
  enum class Kind { None, Existing, New };
  Kind kind = Kind::None;
  QString path;
};

// What the print dialog may change and the program remembers between prints.
struct PrintChoice {
  int colourMode = 2;   // 0 black and white, 1 grey scale, 2 colour
  int duplex = 0;       // 0 one side, 1 long edge, 2 short edge
  QString printerName;  // empty: the default printer
  QString outputFile;   // non-empty: print into this PDF file instead
  // Asked of the dialog, not answered: the name of the print job, and the
  // PDF file it proposes should the user print into a file.
  QString documentName;
  QString proposedFile;
};

class Interaction {
 public:
  virtual ~Interaction() = default;

  // A message box with one OK button.
  virtual void message(const QString& title, const QString& text) = 0;
  // A question with labelled buttons; returns the index of the button chosen.
  // `enterButton` is chosen by Enter (and has the focus), `escapeButton` by Escape.
  virtual int ask(const QString& title, const QString& text, const QStringList& buttons,
                  int enterButton = 0, int escapeButton = -1) = 0;
  virtual FileChoice chooseFile(const FileRequest& request) = 0;
  // Several existing files at once (the results to compare); empty when the
  // user cancelled. Where only one can be asked for, that one.
  virtual QStringList chooseFiles(const FileRequest& request) {
    const FileChoice one = chooseFile(request);
    return one.kind == FileChoice::Kind::Existing ? QStringList{one.path} : QStringList{};
  }
  // A line of text (a name), with `proposed` filled in; nothing when the
  // user cancelled. Where no one can be asked, nothing.
  virtual std::optional<QString> askText(const QString& title, const QString& label,
                                         const QString& proposed) {
    (void)title, (void)label, (void)proposed;
    return std::nullopt;
  }
  // Returns the folder chosen, or an empty text when the user cancelled.
  virtual QString chooseFolder(const QString& title, const QString& startFolder) = 0;
  // Shows the print dialog; false when the user cancelled.
  virtual bool choosePrinter(PrintChoice& choice) = 0;
  // The first-start language chooser: returns the language index picked (0..4).
  virtual int chooseLanguage() = 0;

  // Not questions, but the same seam keeps the core free of widgets.
  virtual void setBusy(bool busy) = 0;
  // Opens a document or web page with the desktop's default application.
  virtual bool openExternally(const QUrl& url) = 0;

  // The window whose command asks (a results window's Print or Export): its
  // dialogs open over it, not over the main window, which would otherwise
  // come to the front and hide it. Null: no window in particular. Set it
  // through DialogOwner.
  QObject* dialogOwner() const { return dialogOwner_.data(); }
  void setDialogOwner(QObject* window) { dialogOwner_ = window; }

 private:
  QPointer<QObject> dialogOwner_;
};

// Makes `window` the owner of the dialogs asked for during the object's
// lifetime; the owner before it comes back afterwards.
class DialogOwner {
 public:
  DialogOwner(Interaction& ui, QObject* window) : ui_(ui), before_(ui.dialogOwner()) {
    ui_.setDialogOwner(window);
  }
  ~DialogOwner() { ui_.setDialogOwner(before_.data()); }
  DialogOwner(const DialogOwner&) = delete;
  DialogOwner& operator=(const DialogOwner&) = delete;

 private:
  Interaction& ui_;
  QPointer<QObject> before_;
};

// Shows the busy cursor for the lifetime of the object.
class BusyCursor {
 public:
  explicit BusyCursor(Interaction& ui) : ui_(ui) { ui_.setBusy(true); }
  ~BusyCursor() { ui_.setBusy(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  Interaction& ui_;
};

}  // namespace karvel
