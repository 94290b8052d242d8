#include "Application.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>

#include <cstring>
#include <iostream>

#include "QtTranslation.h"

namespace {

constexpr const char* kUsage =
    "Uso: damdfe [ARQUIVO.xml]\n"
    "Abre a janela que imprime o DAMDFE de um MDF-e em cinco passos; o ARQUIVO.xml dado preenche\n"
    "o passo do XML, como a caixa de diálogo faria.\n"
    "\n"
    "  --help       mostra esta ajuda\n"
    "  --version    mostra a versão\n"
    "\n"
    "Para imprimir sem janela, veja damdfe-imprimir --help.\n";

}  // namespace

std::optional<int> AnswerOnTerminal(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << kUsage;
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << "damdfe " << DAMDFE_VERSION << "\n";
      return 0;
    }
  }
  return std::nullopt;
}

std::optional<QString> XmlArgument(const QStringList& arguments) {
  for (const QString& argument : arguments) {
    if (argument.startsWith(u'-')) {
      std::cerr << "damdfe: opção desconhecida: " << argument.toStdString() << "\n\n" << kUsage;
      return std::nullopt;
    }
  }
  if (arguments.size() > 1) {
    std::cerr << "damdfe: informe um só arquivo XML\n\n" << kUsage;
    return std::nullopt;
  }
  return arguments.value(0);
}

void SetUpApplication(QApplication& application) {
  application.setApplicationName(QStringLiteral("damdfe"));
  application.setApplicationVersion(QStringLiteral(DAMDFE_VERSION));
  // Dialog titles on the desktop end with this name; the main window's title already does.
  application.setApplicationDisplayName(QStringLiteral("DAMDFE"));
  application.setDesktopFileName(QStringLiteral("damdfe"));
  application.setWindowIcon(QIcon::fromTheme(QStringLiteral("damdfe"), QIcon(QStringLiteral(":/damdfe.png"))));
  InstallQtTranslation(QLocale());
}
