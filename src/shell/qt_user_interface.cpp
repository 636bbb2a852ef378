#include "qt_user_interface.h"

#include "video_format_dialog_window.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <algorithm>

namespace vantorelle::shell {
namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

QString FilterText(const FileDialogRequest& request) {
  QStringList parts;
  for (const auto& [description, pattern] : request.filters) {
    QString patterns = ToQt(pattern);
    patterns.replace(';', ' ');
    parts << ToQt(description) + " (" + patterns + ")";
  }
  return parts.join(";;");
}

QString InitialPath(const FileDialogRequest& request) {
  if (request.initialName.empty()) return ToQt(request.initialDirectory);
  if (request.initialDirectory.empty()) return ToQt(request.initialName);
  return ToQt(request.initialDirectory) + "/" + ToQt(request.initialName);
}

}  // namespace

MessageAnswer QtUserInterface::ShowMessage(const std::string& text, const std::string& caption,
                                           MessageIcon icon, MessageButtons buttons) {
  QMessageBox box(parent_);
  box.setText(ToQt(text));
  box.setWindowTitle(ToQt(caption));
  switch (icon) {
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
  }
  switch (buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MessageButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    case MessageButtons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Retry: return MessageAnswer::Retry;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
  }
}

bool QtUserInterface::ShowMessageOffering(const std::string& text, const std::string& caption, MessageIcon icon,
                                          const std::string& offer) {
  QMessageBox box(parent_);
  box.setText(ToQt(text));
  box.setWindowTitle(ToQt(caption));
  box.setIcon(icon == MessageIcon::Error     ? QMessageBox::Critical
              : icon == MessageIcon::Warning ? QMessageBox::Warning
                                             : QMessageBox::Information);
  QPushButton* offered = box.addButton(ToQt(offer), QMessageBox::ActionRole);
  box.addButton(QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
  return box.clickedButton() == offered;
}

std::optional<std::string> QtUserInterface::AskOpenFileName(const FileDialogRequest& request) {
  const QStringList filters = FilterText(request).split(";;", Qt::SkipEmptyParts);
  const int shown = std::clamp(request.filterIndex, 1, static_cast<int>(std::max<qsizetype>(1, filters.size()))) - 1;
  QString selected = shown < filters.size() ? filters[shown] : QString();
  const QString path = QFileDialog::getOpenFileName(parent_, ToQt(request.title), InitialPath(request),
                                                    filters.join(";;"), &selected);
  if (path.isEmpty()) return std::nullopt;
  if (request.chosenFilterIndex) {
    const auto chosen = filters.indexOf(selected);
    if (chosen >= 0) *request.chosenFilterIndex = static_cast<std::int32_t>(chosen) + 1;
  }
  return path.toStdString();
}

std::optional<std::string> QtUserInterface::AskSaveFileName(const FileDialogRequest& request) {
  QFileDialog dialog(parent_, ToQt(request.title), InitialPath(request), FilterText(request));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(ToQt(request.defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

MissingSourceAnswer QtUserInterface::AskMissingSource(const MissingSourceRequest& request) {
  const bool withCandidates = !request.candidates.empty();
  for (;;) {
    QMessageBox box(parent_);
    box.setWindowTitle(withCandidates ? "Load Project" : "Load Clip Collection");
    box.setIcon(QMessageBox::Warning);
    QString text = "Can not open source file:\n" + ToQt(request.location);
    if (withCandidates) {
      text += "\nFolowing file(s) has the same name, choose one or browse another:";
    }
    box.setText(text);
    QPushButton* choose = withCandidates ? box.addButton("OK", QMessageBox::AcceptRole) : nullptr;
    QPushButton* browse = box.addButton("Browse", QMessageBox::ActionRole);
    QPushButton* skip = box.addButton("Skip", QMessageBox::RejectRole);
    QPushButton* skipAll = box.addButton("Skip All", QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.exec();

    MissingSourceAnswer answer;
    QString chosen;
    if (box.clickedButton() == skipAll) {
      answer.kind = MissingSourceAnswer::Kind::SkipAll;
      return answer;
    }
    if (box.clickedButton() == skip || (box.clickedButton() != browse && box.clickedButton() != choose)) {
      answer.kind = MissingSourceAnswer::Kind::Skip;
      return answer;
    }
    if (box.clickedButton() == choose) {
      QStringList items;
      for (const auto& candidate : request.candidates) items << ToQt(candidate);
      bool ok = false;
      chosen = QInputDialog::getItem(parent_, "Load Project", "Candidates", items, 0, false, &ok);
      if (!ok) chosen.clear();
    } else {
      chosen = QFileDialog::getOpenFileName(parent_, "Open Clip", ToQt(request.fileName),
                                            "Clips (*.AVI *.avi)");
      if (chosen.isEmpty()) continue;
      if (!QFileInfo::exists(chosen)) {
        ShowMessage("Can't find file\n " + chosen.toStdString(), "Open Clip", MessageIcon::Warning,
                    MessageButtons::Ok);
        continue;
      }
    }
    answer.kind = MissingSourceAnswer::Kind::FileChosen;
    answer.chosenPath = chosen.toStdString();
    const auto slash = answer.chosenPath.find_last_of("/\\");
    answer.chosenDirectory = slash == std::string::npos ? "" : answer.chosenPath.substr(0, slash + 1);
    return answer;
  }
}

bool QtUserInterface::AskVideoFormat(const std::string& title, VideoFormatChooser& chooser) {
  VideoFormatDialogWindow dialog(QString::fromStdString(title), chooser, parent_);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vantorelle::shell
