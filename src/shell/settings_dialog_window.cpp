#include "settings_dialog_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vantorelle::shell {
namespace {

// A time field whose text the page model may rewrite after every change.
QLineEdit* TimeField(QWidget* parent, const std::string& text, std::function<std::string(std::string)> change) {
  auto* edit = new QLineEdit(QString::fromStdString(text), parent);
  QObject::connect(edit, &QLineEdit::editingFinished, edit, [edit, change] {
    const QSignalBlocker block(edit);
    edit->setText(QString::fromStdString(change(edit->text().toStdString())));
  });
  return edit;
}

}  // namespace

SettingsDialogWindow::SettingsDialogWindow(CVantorelleDoc& doc, IUserInterface& ui, IDirectoryViewFilter* directoryView,
                                           QWidget* parent)
    : QDialog(parent), doc_(doc), ui_(ui), directoryView_(directoryView), model_(doc) {
  setWindowTitle(SettingsDialogModel::kCaption);
  auto* layout = new QVBoxLayout(this);
  auto* tabs = new QTabWidget(this);
  const auto titles = SettingsDialogModel::PageTitles();
  tabs->addTab(BuildProjectPage(), titles[0]);
  tabs->addTab(BuildGeneralPage(), titles[1]);
  tabs->addTab(BuildAppearancePage(), titles[2]);
  tabs->setCurrentIndex(model_.ActivePage());
  connect(tabs, &QTabWidget::currentChanged, this, [this](int page) { model_.SelectPage(page); });
  layout->addWidget(tabs);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    model_.Ok(doc_, directoryView_);
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

QWidget* SettingsDialogWindow::BuildProjectPage() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  CSettings_ProjectPage& project = model_.Project();
  auto* size = new QLineEdit(QString::fromStdString(project.SizeText()), page);
  size->setReadOnly(true);
  form->addRow("Project size:", TimeField(page, project.ProjectSizeText(), [&project](std::string text) {
                 project.ChangeProjectSize(std::move(text));
                 return project.ProjectSizeText();
               }));
  form->addRow("Start:", TimeField(page, project.StartText(), [&project, size](std::string text) {
                 project.ChangeStart(std::move(text));
                 size->setText(QString::fromStdString(project.SizeText()));
                 return project.StartText();
               }));
  form->addRow("Stop:", TimeField(page, project.StopText(), [&project, size](std::string text) {
                 project.ChangeStop(std::move(text));
                 size->setText(QString::fromStdString(project.SizeText()));
                 return project.StopText();
               }));
  form->addRow("Size:", size);
  auto* solo = new QCheckBox("Exclusive \"Solo\"", page);
  solo->setChecked(project.ExclusiveSolo());
  connect(solo, &QCheckBox::toggled, this, [&project](bool on) { project.SetExclusiveSolo(on); });
  form->addRow(solo);
  const auto trackList = [&](std::int32_t current, auto choose) {
    auto* list = new QComboBox(page);
    for (std::int32_t n : CSettings_ProjectPage::TrackNumberChoices()) list->addItem(QString::number(n));
    list->setCurrentIndex(current - 1);
    connect(list, &QComboBox::activated, this, [this, list, choose, &project](int index) {
      const bool accepted = choose(index + 1);
      if (!accepted) {
        const QSignalBlocker block(list);
        list->setCurrentIndex(0);
      }
    });
    return list;
  };
  form->addRow("Video:", trackList(project.Numbers().video, [this, &project](std::int32_t n) {
                 return project.ChooseVideoTracks(n, ui_);
               }));
  form->addRow("Audio:", trackList(project.Numbers().audio, [this, &project](std::int32_t n) {
                 return project.ChooseAudioTracks(n, ui_);
               }));
  return page;
}

QWidget* SettingsDialogWindow::BuildGeneralPage() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  CSettings_GeneralPage& general = model_.General();
  auto* depth = new QSpinBox(page);
  depth->setRange(1, 1000);
  depth->setValue(general.UndoDepth());
  connect(depth, &QSpinBox::valueChanged, this, [&general](int value) { general.SetUndoDepth(value); });
  form->addRow("Depth:", depth);
  auto* start = new QComboBox(page);
  for (const char* choice : CSettings_GeneralPage::PlaybackStartChoices()) start->addItem(choice);
  start->setCurrentIndex(general.PlaybackStartType());
  connect(start, &QComboBox::activated, this, [&general](int index) { general.ChoosePlaybackStart(index); });
  form->addRow("Playback start:", start);
  auto* pick = new QCheckBox("Pick current time mark on clips", page);
  pick->setChecked(general.PickRedLine());
  connect(pick, &QCheckBox::toggled, this, [&general](bool on) { general.SetPickRedLine(on); });
  form->addRow(pick);
  auto* pillarcast = new QCheckBox("Pillarcast compatible", page);
  pillarcast->setChecked(general.PillarcastCompatible());
  connect(pillarcast, &QCheckBox::toggled, this, [&general](bool on) { general.SetPillarcastCompatible(on); });
  form->addRow(pillarcast);
  form->addRow("Still image:", TimeField(page, general.StillImageText(), [&general](std::string text) {
                 general.ChangeStillImage(std::move(text));
                 return general.StillImageText();
               }));
  form->addRow("\"Live\":", TimeField(page, general.LiveText(), [&general](std::string text) {
                 general.ChangeLive(std::move(text));
                 return general.LiveText();
               }));
  form->addRow("Slide show titles:", TimeField(page, general.SlideShowText(), [&general](std::string text) {
                 general.ChangeSlideShow(std::move(text));
                 return general.SlideShowText();
               }));
  auto* filter = new QComboBox(page);
  for (const std::string& text : general.DirViewFilters()) filter->addItem(QString::fromStdString(text));
  filter->setCurrentIndex(general.DirViewFilterIndex());
  connect(filter, &QComboBox::activated, this, [&general](int index) { general.ChooseDirViewFilter(index); });
  form->addRow("Directory View file filter:", filter);
  return page;
}

QWidget* SettingsDialogWindow::BuildAppearancePage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  CSettings_AppearancePage& appearance = model_.Appearance();
  const auto group = [&](const char* title, const auto& choices, int current, auto choose) {
    auto* box = new QGroupBox(title, page);
    auto* boxLayout = new QVBoxLayout(box);
    auto* buttons = new QButtonGroup(box);
    int index = 0;
    for (const char* choice : choices) {
      auto* radio = new QRadioButton(choice, box);
      radio->setChecked(index == current);
      buttons->addButton(radio, index++);
      boxLayout->addWidget(radio);
    }
    connect(buttons, &QButtonGroup::idClicked, this, choose);
    layout->addWidget(box);
  };
  group("Movie snapshots", CSettings_AppearancePage::MovieChoices(), appearance.MovieIndex(),
        [&appearance](int index) { appearance.ChooseMovie(index); });
  group("Single image snapshots", CSettings_AppearancePage::SingleImageChoices(), appearance.SingleImageIndex(),
        [&appearance](int index) { appearance.ChooseSingleImage(index); });
  layout->addStretch();
  return page;
}

}  // namespace vantorelle::shell
