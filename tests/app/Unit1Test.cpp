#include "Unit1.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Application.h"
#include "QtTranslation.h"
#include "DamdfeTexts.h"
#include "EventFiles.h"
#include "ModalAnswerer.h"
#include "OpenDialogs.h"
#include "PathLabel.h"
#include "PrintJob.h"
#include "RadioGroup.h"
#include "ReportOutput.h"
#include "TestFiles.h"

namespace {

const std::filesystem::path kSamples = std::filesystem::path(DAMDFE_SOURCE_DIR) / "samples";
const QString kXmlMessage = QStringLiteral("Caminho do Arquivo XML inválido. Selecione um arquivo XML de MDFe válido");
const QString kLogoMessage =
    QStringLiteral("Caminho do Arquivo BMP inválido. Selecione um arquivo BMP de logomarca do cliente válido");

QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Every window of a test remembers its choices in a folder of that test's own.
struct TemporarySettings {
  TemporarySettings() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Q(folder.path())); }
  TempDir folder;
};

class WindowTest : public testing::Test {
 protected:
  WindowTest() {
    form.PrintJob = [this](const TPrintRequest& request) {
      calls.push_back(request);
      return std::string();
    };
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
  }

  // The real job, to a PDF file.
  static TPrintJob PrintingTo(const std::filesystem::path& pdf) {
    return [pdf](const TPrintRequest& request) { return PrintDAMDFE(request, rv::PdfFile{Q(pdf)}); };
  }

  // Presses a button with the mouse; the answerer deals with whatever window it opens.
  void Press(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

  void Choose(QRadioButton* item) {
    // The radio button reacts on its indicator and text, not on the whole row.
    QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(8, item->height() / 2));
  }

  std::filesystem::path SampleXml() {
    return files.Write("manifesto-número.xml", ReadFileBytes(kSamples / "MDFe_exemplo.xml"));
  }
  std::filesystem::path SampleLogo() { return files.Write("logo.bmp", ReadFileBytes(kSamples / "logo_exemplo.bmp")); }

  TempDir files;
  TemporarySettings settings;
  TForm1 form;
  std::vector<TPrintRequest> calls;
};

TEST_F(WindowTest, PrintStopsWithAMessageWhenAPathNamesNoFile) {
  struct Case {
    const char* name;
    std::function<void()> setUp;
    QString message;
  };
  const std::vector<Case> cases = {
      {"nothing chosen yet", [] {}, kXmlMessage},
      {"XML deleted after choosing",
       [this] {
         std::filesystem::path xml = SampleXml();
         form.Label4->setText(Q(xml));
         std::filesystem::remove(xml);
       },
       kXmlMessage},
      {"XML path is a folder", [this] { form.Label4->setText(Q(files.path())); }, kXmlMessage},
      {"logo not chosen", [this] { form.Label4->setText(Q(SampleXml())); }, kLogoMessage},
      {"logo deleted after choosing",
       [this] {
         form.Label4->setText(Q(SampleXml()));
         std::filesystem::path logo = SampleLogo();
         form.Label5->setText(Q(logo));
         std::filesystem::remove(logo);
       },
       kLogoMessage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form.Label4->setText(QStringLiteral("arquivo XML do DAMDFE"));
    form.Label5->setText(QStringLiteral("arquivo BMP da logo"));
    c.setUp();
    const QString xmlBefore = form.Label4->text();
    const QString logoBefore = form.Label5->text();

    ModalAnswerer answerer;
    Press(form.Button4);

    EXPECT_EQ(answerer.messages, QStringList{c.message});
    EXPECT_EQ(answerer.messageButtons, QList<int>{1});
    EXPECT_FALSE(answerer.timedOut);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(form.Label4->text(), xmlBefore);
    EXPECT_EQ(form.Label5->text(), logoBefore);
  }
}

TEST_F(WindowTest, ChoicesReachThePrintJob) {
  struct Case {
    std::optional<int> type, format;  // nullopt: as the window opened
    QString protocol;
    std::string contingency;
    int expectedFormat;
  };
  const std::vector<Case> cases = {
      {std::nullopt, std::nullopt, QStringLiteral("935260000123456"), "", 0},
      {1, 1, QStringLiteral("935260000123456"),
       "DAMDFE em Contingência - impresso em decorrência de problemas técnicos", 1},
      {2, 0, QString(), "DAMDFE impresso em contingência - DPEC regularmente recebida pela Receita Federal do Brasil",
       0},
      {0, 1, QString(), "", 1},
  };
  const std::filesystem::path xml = SampleXml();
  const std::filesystem::path logo = SampleLogo();
  form.Label4->setText(Q(xml));
  form.Label5->setText(Q(logo));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type.value_or(-1) << ", format " << c.format.value_or(-1)
                                    << ", protocol \"" << c.protocol.toStdString() << "\"");
    if (c.type) Choose(form.RadioGroup2->Button(*c.type));
    if (c.format) Choose(form.RadioGroup1->Button(*c.format));
    form.Edit1->clear();
    QTest::keyClicks(form.Edit1, c.protocol);
    calls.clear();

    ModalAnswerer answerer;
    Press(form.Button4);

    EXPECT_TRUE(answerer.messages.isEmpty());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].xmlPath, xml.string());
    EXPECT_EQ(calls[0].logoPath, logo.string());
    EXPECT_EQ(calls[0].contingency, c.contingency);
    EXPECT_EQ(calls[0].protocol, c.protocol.toStdString());
    EXPECT_EQ(calls[0].format, c.expectedFormat);
  }
}

QListView* FileList(QFileDialog& dialog) { return dialog.findChild<QListView*>(QStringLiteral("listView")); }

void Open(QFileDialog& dialog) { dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click(); }

void TypeAndOpen(QFileDialog& dialog, const QString& typed) {
  dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
  Open(dialog);
}

// As a click on the file in the list does.
void Pick(QFileDialog& dialog, const QString& path) {
  QListView* list = FileList(dialog);
  list->setCurrentIndex(qobject_cast<QFileSystemModel*>(list->model())->index(path));
}

void PickAndOpen(QFileDialog& dialog, const QString& path) {
  Pick(dialog, path);
  Open(dialog);
}

// Waits until the dialog's list shows the folder's files, then returns their names.
QStringList ListedFiles(QFileDialog& dialog, const QString& folder, int expected) {
  auto* model = qobject_cast<QFileSystemModel*>(FileList(dialog)->model());
  auto names = [&] {
    QStringList found;
    const QModelIndex root = model->index(folder);
    for (int row = 0; row < model->rowCount(root); ++row) found << model->fileName(model->index(row, 0, root));
    found.sort();
    return found;
  };
  WaitFor([&] { return names().size() >= expected; });
  QTest::qWait(50);  // a file the filter wrongly lets through may come a moment later
  return names();
}

TEST_F(WindowTest, DialogsOpenWithTheirSettingsAndCancellingKeepsThePath) {
  struct Case {
    const char* name;
    QPushButton* button;
    QLabel* label;
    QString initialText, title, defaultSuffix, chosenFile;
  };
  const std::vector<Case> cases = {
      {"XML", form.Button1, form.Label4, QStringLiteral("arquivo XML do DAMDFE"),
       QStringLiteral("Selecione o XML da MDFe..."), QStringLiteral("XML"), Q(SampleXml())},
      {"logo", form.Button2, form.Label5, QStringLiteral("arquivo BMP da logo"),
       QStringLiteral("Selecione a logomarca do cliente..."), QStringLiteral("BMP"), Q(SampleLogo())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      ModalAnswerer cancelFirst;
      Press(c.button);
      EXPECT_EQ(cancelFirst.fileDialogs, 1);
      EXPECT_EQ(c.label->text(), c.initialText);
    }
    {
      ModalAnswerer choose([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), c.title);
        EXPECT_EQ(dialog.directory().absolutePath(), QDir::homePath());
        EXPECT_EQ(dialog.defaultSuffix(), c.defaultSuffix);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        TypeAndOpen(dialog, c.chosenFile);
      });
      Press(c.button);
      EXPECT_EQ(c.label->text(), c.chosenFile);
    }
    {
      // The user wanders elsewhere and cancels: the earlier path stays, and the next opening starts
      // where that file was chosen.
      ModalAnswerer cancel([&](QFileDialog& dialog) { dialog.setDirectory(QDir::rootPath()); });
      Press(c.button);
      EXPECT_EQ(c.label->text(), c.chosenFile);
    }
    ModalAnswerer again([&](QFileDialog& dialog) { EXPECT_EQ(dialog.directory().absolutePath(), Q(files.path())); });
    Press(c.button);
    EXPECT_EQ(again.fileDialogs, 1);
    EXPECT_TRUE(again.messages.isEmpty());
  }
}

TEST_F(WindowTest, XmlDialogTakesTheExtensionInAnyLetterCaseOrNone) {
  for (const char* name : {"a.xml", "B.XML", "c.Xml", "notas.txt"}) files.Write(name, "<MDFe/>");
  const QString folder = Q(files.path());
  for (const QString& name : {QStringLiteral("a.xml"), QStringLiteral("B.XML"), QStringLiteral("c.Xml")}) {
    SCOPED_TRACE(name.toStdString());
    ModalAnswerer answerer([&](QFileDialog& dialog) {
      dialog.setDirectory(folder);
      EXPECT_EQ(ListedFiles(dialog, folder, 3),
                (QStringList{QStringLiteral("B.XML"), QStringLiteral("a.xml"), QStringLiteral("c.Xml")}));
      PickAndOpen(dialog, folder + u'/' + name);
    });
    Press(form.Button1);
    EXPECT_EQ(form.Label4->text(), folder + u'/' + name);
    EXPECT_TRUE(answerer.unexpected.isEmpty()) << answerer.unexpected.join(u',').toStdString();

    form.Label4->clear();
    ModalAnswerer typedWithoutExtension([&](QFileDialog& dialog) {
      dialog.setDirectory(folder);
      auto* nameEdit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QTest::keyClicks(nameEdit, QFileInfo(name).baseName());
      QTest::keyClick(QApplication::activePopupWidget() ? QApplication::activePopupWidget() : nameEdit, Qt::Key_Return);
    });
    Press(form.Button1);
    EXPECT_EQ(form.Label4->text(), folder + u'/' + name);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);  // it would take the next keys
    EXPECT_TRUE(typedWithoutExtension.messages.isEmpty()) << typedWithoutExtension.messages.join(u',').toStdString();
  }
}

TEST_F(WindowTest, PictureDialogPreviewsThePictureUnderTheCursor) {
  const std::filesystem::path logo = SampleLogo();
  files.Write("foto.JPG", ReadFileBytes(std::filesystem::path(DAMDFE_SOURCE_DIR) / "app/resources/selo.jpg"));
  const QString folder = Q(files.path());
  QStringList filters;
  ModalAnswerer answerer([&](QFileDialog& dialog) {
    filters = dialog.nameFilters();
    dialog.setDirectory(folder);
    EXPECT_EQ(ListedFiles(dialog, folder, 2), (QStringList{QStringLiteral("foto.JPG"), QStringLiteral("logo.bmp")}));
    Pick(dialog, Q(logo));
    QLabel* preview = form.OpenPictureDialog1->Preview();
    EXPECT_FALSE(preview->pixmap().isNull());
    EXPECT_LE(preview->pixmap().width(), preview->width());
    EXPECT_TRUE(dialog.findChildren<QLabel*>().contains(preview));
    EXPECT_TRUE(preview->isVisible());
    Open(dialog);
  });
  Press(form.Button2);
  EXPECT_EQ(form.Label5->text(), Q(logo));
  ASSERT_FALSE(filters.isEmpty());
  for (const char* pattern : {"*.bmp", "*.jpg", "*.jpeg", "*.png", "*.ico"}) {
    EXPECT_TRUE(filters.front().contains(QLatin1String(pattern))) << pattern << " in " << filters.front().toStdString();
  }
}

// Mended: a failed job is said in a message box, never silent.
TEST_F(WindowTest, MissingTemplatesPrintNothingAndSayWhy) {
  TempDir noTemplates;
  const std::filesystem::path pdf = files / "saida.pdf";
  std::string result;
  form.PrintJob = [&](const TPrintRequest& request) {
    return result = PrintDAMDFE(request, rv::PdfFile{Q(pdf)}, noTemplates.path());
  };
  form.Label4->setText(Q(SampleXml()));
  form.Label5->setText(Q(SampleLogo()));

  ModalAnswerer answerer;
  Press(form.Button4);

  EXPECT_EQ(result, "-3 ERRO: Arquivo DAMDFE_Retrato.rav inexistente. Verifique.");
  ASSERT_EQ(answerer.messages.size(), 1);
  EXPECT_TRUE(answerer.messages[0].contains(QString::fromStdString(result))) << answerer.messages[0].toStdString();
  EXPECT_TRUE(answerer.unexpected.isEmpty());
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

// The manifest says it was issued normally: a contingency type is refused in a message box.
TEST_F(WindowTest, ContingencyForANormalManifestIsRefusedWithAMessage) {
  const std::filesystem::path pdf = files / "recusado.pdf";
  form.PrintJob = PrintingTo(pdf);
  form.Label4->setText(Q(SampleXml()));
  form.Label5->setText(Q(SampleLogo()));
  Choose(form.RadioGroup2->Button(1));

  ModalAnswerer answerer;
  Press(form.Button4);
  ASSERT_EQ(answerer.messages.size(), 1);
  EXPECT_TRUE(answerer.messages[0].contains(QString::fromStdString(kNormalEmissionMessage)))
      << answerer.messages[0].toStdString();
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(WindowTest, PrintsTheSampleManifestThroughTheRealJob) {
  const std::filesystem::path pdf = files / "damdfe.pdf";
  form.PrintJob = PrintingTo(pdf);
  form.Label4->setText(Q(SampleXml()));
  form.Label5->setText(Q(SampleLogo()));
  QTest::keyClicks(form.Edit1, QStringLiteral("935261234567890"));

  ModalAnswerer answerer;
  Press(form.Button4);
  EXPECT_TRUE(answerer.messages.isEmpty());
  ASSERT_TRUE(std::filesystem::exists(pdf));

  QProcess pdftotext;
  pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), Q(pdf), QStringLiteral("-")});
  ASSERT_TRUE(pdftotext.waitForFinished(30000));
  const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
  EXPECT_TRUE(text.contains(QStringLiteral("3526 1212 3456 7800 0195 5800 1000 0012 3418 7654 3210")))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("935261234567890")));
}

// A cancellation beside the XML is counted beside the XML step and printed; an event of
// another manifest in the same folder is left out.
TEST_F(WindowTest, EventsBesideTheXmlAreCountedAndPrinted) {
  const std::filesystem::path pdf = files / "damdfe.pdf";
  form.PrintJob = [this, &pdf](const TPrintRequest& request) {
    calls.push_back(request);
    return PrintDAMDFE(request, rv::PdfFile{Q(pdf)});
  };
  const std::filesystem::path cancellation = files.Write("cancelamento.xml", ProcEvento(Cancellation()));
  EventFields foreign = DriverAdded();
  foreign.key = std::string(44, '4');
  files.Write("outro-mdfe.xml", ProcEvento(foreign));
  form.Label4->setText(Q(SampleXml()));
  form.Label5->setText(Q(SampleLogo()));

  ModalAnswerer answerer;
  Press(form.Button4);

  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].eventFiles, std::vector<std::string>{cancellation.string()});
  EXPECT_EQ(form.Label6->text(), QStringLiteral("Eventos do MDF-e na pasta: 1 – CANCELADO"));
  QProcess pdftotext;
  pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), Q(pdf), QStringLiteral("-")});
  ASSERT_TRUE(pdftotext.waitForFinished(30000));
  const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
  EXPECT_TRUE(text.contains(QStringLiteral("CANCELADO"))) << text.toStdString();
  EXPECT_FALSE(text.contains(QStringLiteral("CARLOS")));
}

// Widgets whose text must show whole; the path labels may clip a long path.
QList<QWidget*> TextWidgets(TForm1& form) {
  QList<QWidget*> found;
  for (QWidget* widget : form.findChildren<QWidget*>()) {
    if (!widget->isVisible() || widget == form.Label4 || widget == form.Label5) continue;
    if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) || qobject_cast<QGroupBox*>(widget) ||
        qobject_cast<QLineEdit*>(widget)) {
      found << widget;
    }
  }
  return found;
}

std::string Describe(const QWidget* widget) {
  const auto* label = qobject_cast<const QLabel*>(widget);
  const auto* button = qobject_cast<const QAbstractButton*>(widget);
  const auto* group = qobject_cast<const QGroupBox*>(widget);
  const QString text = label ? label->text() : button ? button->text() : group ? group->title() : widget->objectName();
  return widget->metaObject()->className() + std::string(" \"") + text.toStdString() + "\"";
}

// The steps' fixed texts, top to bottom, exactly as the user reads them; the group captions end with a blank.
TEST_F(WindowTest, StepsReadExactly) {
  QStringList texts;
  for (QWidget* widget : form.findChild<QWidget*>(QStringLiteral("Panel1"))->findChildren<QWidget*>()) {
    const auto* label = qobject_cast<const QLabel*>(widget);
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    const auto* group = qobject_cast<const QGroupBox*>(widget);
    if (widget->isVisible() && (label || button || group)) {
      texts << (label ? label->text() : button ? button->text() : group->title());
    }
  }
  EXPECT_EQ(texts, QStringList({
                       QStringLiteral("Execute o passo-a-passo a seguir..."),
                       QStringLiteral("1. Selecione o formato do DAMDFE: "),
                       QStringLiteral("Retrato"),
                       QStringLiteral("Paisagem"),
                       QStringLiteral("2. Selecione o tipo do DAMDFE: "),
                       QStringLiteral("DAMDFE Normal"),
                       QStringLiteral("DAMDFE em Contingência - impresso em decorrência de problemas técnicos"),
                       QStringLiteral("DAMDFE impresso em contingência - DPEC regularmente recebida pela Receita "
                                      "Federal do Brasil"),
                       QStringLiteral("Numero do Protocolo"),
                       QStringLiteral("arquivo XML do DAMDFE"),
                       QStringLiteral("3. Selecione o XML da MDFe a ser impresso"),
                       QStringLiteral("arquivo BMP da logo"),
                       QStringLiteral("4. Selecione o BMP com a logo do cliente (259x158 pixels)"),
                       QStringLiteral("5. Imprimir DAMDFE"),
                   }));
}

TEST_F(WindowTest, EveryTextFitsOnCommonScreens) {
  for (const QSize size : {QSize(1366, 768), QSize(1024, 700)}) {
    SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
    form.setWindowState(Qt::WindowNoState);
    form.resize(size);
    EXPECT_TRUE(WaitFor([&] { return form.size() == size; })) << "the window cannot shrink to this size";
    QTest::qWait(20);

    const QList<QWidget*> widgets = TextWidgets(form);
    for (QWidget* widget : widgets) {
      SCOPED_TRACE(Describe(widget));
      EXPECT_GE(widget->width(), widget->sizeHint().width());
      EXPECT_GE(widget->height(), widget->minimumSizeHint().height());
      const QRect inWindow(widget->mapTo(&form, QPoint(0, 0)), widget->size());
      EXPECT_TRUE(form.rect().contains(inWindow));
      for (QWidget* other : widgets) {
        if (other != widget && other->parentWidget() == widget->parentWidget()) {
          EXPECT_FALSE(widget->geometry().intersects(other->geometry())) << "overlaps " << Describe(other);
        }
      }
    }
    if (const QByteArray folder = qgetenv("DAMDFE_APP_SCREENSHOTS"); !folder.isEmpty()) {
      form.grab().save(QStringLiteral("%1/janela-%2x%3.png")
                           .arg(QString::fromLocal8Bit(folder))
                           .arg(size.width())
                           .arg(size.height()));
    }
  }
}

TEST_F(WindowTest, RemembersFormatTypeLogoAndFoldersForTheNextRun) {
  const QString logo = Q(SampleLogo());
  Choose(form.RadioGroup1->Button(1));
  Choose(form.RadioGroup2->Button(2));
  {
    ModalAnswerer answerer([&](QFileDialog& dialog) { TypeAndOpen(dialog, logo); });
    Press(form.Button2);
  }
  TempDir xmlFolder;
  form.OpenXml(Q(xmlFolder / "manifesto.xml"));
  QTest::keyClicks(form.Edit1, QStringLiteral("935260000123456"));
  // Windows of one process share the settings in memory: the file shows they reach the disk.
  EXPECT_TRUE(WaitFor(
      [&] { return ReadFileBytes(settings.folder / "damdfe/damdfe.conf").find("format=1\n") != std::string::npos; }));

  for (bool logoStillThere : {true, false}) {
    SCOPED_TRACE(logoStillThere ? "logo still there" : "logo deleted");
    if (!logoStillThere) std::filesystem::remove(logo.toStdString());
    TForm1 next;
    EXPECT_EQ(next.RadioGroup1->ItemIndex(), 1);
    EXPECT_EQ(next.RadioGroup2->ItemIndex(), 2);
    EXPECT_EQ(next.Label5->text(), logoStillThere ? logo : QStringLiteral("arquivo BMP da logo"));
    // The manifest and its protocol change with every print: not remembered.
    EXPECT_EQ(next.Label4->text(), QStringLiteral("arquivo XML do DAMDFE"));
    EXPECT_TRUE(next.Edit1->text().isEmpty());
    ModalAnswerer dialogs([&](QFileDialog& dialog) {
      EXPECT_EQ(dialog.directory().absolutePath(),
                dialog.windowTitle().contains(u"XML") ? Q(xmlFolder.path()) : Q(files.path()));
    });
    next.Button1Click();
    next.Button2Click();
    EXPECT_EQ(dialogs.fileDialogs, 2);
  }
}

// The drop a file manager makes, delivered to the window.
bool Drop(TForm1& form, const QString& file) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(file)});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &drop);
  return drop.isAccepted();
}

TEST_F(WindowTest, KeyboardAndDropFollowTheSteps) {
  EXPECT_EQ(form.focusWidget(), form.Button1);
  {
    ModalAnswerer answerer;
    QTest::keyClick(form.Button4, Qt::Key_Return);
    EXPECT_EQ(answerer.messages, QStringList{kXmlMessage});
  }
  EXPECT_FALSE(Drop(form, Q(SampleLogo())));
  EXPECT_EQ(form.Label4->text(), QStringLiteral("arquivo XML do DAMDFE"));
  const QString xml = Q(SampleXml());
  EXPECT_TRUE(Drop(form, xml));
  EXPECT_EQ(form.Label4->text(), xml);
  EXPECT_EQ(form.Label7->text(), QStringLiteral("Sem assinatura"));
  EXPECT_EQ(form.focusWidget(), form.Button2);
  form.Label5->setText(Q(SampleLogo()));
  form.OpenXml(xml);
  EXPECT_EQ(form.focusWidget(), form.Button4);
  QTest::keyClick(form.Button4, Qt::Key_Return);
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(WindowTest, LongPathShowsTheFileNameAndTheWholePathAsTooltip) {
  const QString name = QStringLiteral("35261212345678000195580010000012341876543210-mdfe.xml");
  const QString path = QStringLiteral("/home/usuario/Documentos/Manifestos/2026/dezembro/transportadora/") + name;
  auto* label = qobject_cast<TPathLabel*>(form.Label4);
  ASSERT_NE(label, nullptr);
  label->setText(path);
  struct Case {
    int width;
    QString start, end;  // what the shown text begins and ends with
  };
  for (const Case& c : {Case{2000, path, path}, Case{500, QStringLiteral("/home"), u'/' + name},
                        Case{80, QString(), QStringLiteral(".xml")}}) {
    SCOPED_TRACE(c.width);
    label->setFixedWidth(c.width);
    const QString shown = label->ShownText();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->contentsRect().width());
    EXPECT_TRUE(shown.startsWith(c.start) && shown.endsWith(c.end)) << shown.toStdString();
    EXPECT_EQ(shown.contains(u'…'), c.width != 2000) << shown.toStdString();
  }
  EXPECT_EQ(label->text(), path);
  QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), label->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(label, &hover);
  EXPECT_EQ(QToolTip::text(), path);
}

TEST(QtTranslation, QtsOwnDialogsSpeakPortuguese) {
  ASSERT_TRUE(InstallQtTranslation(QLocale(QLocale::Portuguese, QLocale::Brazil)));
  TOpenDialog dialog;
  EXPECT_EQ(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->text(), QStringLiteral("&Abrir"));
}

}  // namespace
