// damdfe-servidor: prints the DAMDFE over HTTP for systems that call it many times.

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "DamdfeTexts.h"
#include "FileAccess.h"
#include "JobRunner.h"
#include "PrintJob.h"
#include "PrintService.h"

namespace {

constexpr const char* kVersion = "damdfe-servidor 1.0.0";

constexpr const char* kUsage =
    "Uso: damdfe-servidor [opções]\n"
    "Serviço HTTP que imprime o DAMDFE de cada MDF-e recebido e o devolve em PDF.\n"
    "\n"
    "  POST /damdfe           corpo: o XML do MDF-e (application/xml), ou multipart/form-data com as\n"
    "                         partes \"xml\" e \"logo\"; consulta: formato=retrato|paisagem,\n"
    "                         tipo=normal|contingencia, protocolo=NÚMERO; responde application/pdf\n"
    "  POST /parametros       o mesmo corpo; responde os parâmetros do relatório em JSON\n"
    "  POST /verificacao      o mesmo corpo; responde em JSON se a assinatura digital, o protocolo,\n"
    "                         a chave de acesso, o certificado e o esquema do MDF-e conferem\n"
    "                         (/damdfe diz o mesmo no cabeçalho X-DAMDFE-Verificacao e, quando não\n"
    "                         confere, imprime o motivo e a marca SEM VALOR FISCAL)\n"
    "  GET /saude             responde {\"status\":\"ok\"}\n"
    "\n"
    "Opções (--opção=valor ou --opção valor):\n"
    "  --endereco ENDEREÇO    endereço em que escuta (padrão 127.0.0.1; 0.0.0.0 para todos)\n"
    "  --porta PORTA          porta em que escuta (padrão 8080; 0 escolhe uma livre)\n"
    "  --logo ARQUIVO         logomarca usada quando o pedido não traz a sua\n"
    "  --trabalhos N          DAMDFE impressos ao mesmo tempo (padrão: número de núcleos)\n"
    "  --fila N               pedidos que esperam além dos em impressão (padrão: 4 por trabalho)\n"
    "  --limite-mb N          tamanho máximo do corpo em MB (padrão 20)\n"
    "  --tempo-limite S       segundos até desistir de um pedido: 503 na fila, 504 em impressão\n"
    "                         (padrão 30)\n"
    "  --ocioso S             segundos até fechar uma conexão mantida aberta sem pedido (padrão 15)\n"
    "  --help                 mostra esta ajuda\n"
    "  --version              mostra a versão\n"
    "\n"
    "Erros respondem JSON {\"erro\": \"motivo\"}: 400 pedido malformado, 413 corpo acima do limite,\n"
    "415 tipo de conteúdo não aceito, 422 arquivo que não é um MDF-e imprimível, 503 fila cheia,\n"
    "504 tempo esgotado. Cada pedido gera uma linha na saída de erro: método, caminho, status e ms.\n"
    "\n"
    "Limites por conexão (os pedidos de uma conexão são atendidos um por vez, na ordem):\n"
    "  cabeçalhos até 64 KB, senão 431; completos até 10 s depois do primeiro byte, senão a conexão\n"
    "  é fechada; corpo até --limite-mb, senão 413 assim que o Content-Length o anuncia (ou quando um\n"
    "  corpo em partes passa dele); um corpo que para de chegar por 10 s fecha a conexão; sem\n"
    "  descritores de arquivo livres, as conexões à espera recebem 503 e o serviço aceita de novo\n"
    "  quando um se libera. \"Expect: 100-continue\" é respondido.\n";

struct UsageError {
  std::string message;
};

struct Options {
  TServiceOptions service;
  std::string logo;
  bool queueGiven = false;
};

int Number(const std::string& option, const std::string& value, int minimum, int maximum) {
  size_t used = 0;
  int number = 0;
  try {
    number = std::stoi(value, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != value.size() || number < minimum || number > maximum) {
    throw UsageError{"valor inválido para " + option + ": \"" + value + "\" (de " + std::to_string(minimum) + " a " +
                     std::to_string(maximum) + ")"};
  }
  return number;
}

void SetOption(Options& options, const std::string& name, const std::string& value) {
  TServiceOptions& service = options.service;
  if (name == "--endereco") {
    if (!service.address.setAddress(QString::fromStdString(value)))
      throw UsageError{"endereço inválido: \"" + value + "\""};
  } else if (name == "--porta") {
    service.port = static_cast<quint16>(Number(name, value, 0, 65535));
  } else if (name == "--logo") {
    options.logo = value;
  } else if (name == "--trabalhos") {
    service.workers = Number(name, value, 1, 256);
  } else if (name == "--fila") {
    service.queueLength = Number(name, value, 0, 100000);
    options.queueGiven = true;
  } else if (name == "--limite-mb") {
    service.limitBytes = qint64(Number(name, value, 1, 1024)) * 1024 * 1024;
  } else if (name == "--tempo-limite") {
    service.timeLimit = std::chrono::seconds(Number(name, value, 1, 86400));
  } else if (name == "--ocioso") {
    service.idleTime = std::chrono::seconds(Number(name, value, 1, 86400));
  } else {
    throw UsageError{"opção desconhecida: " + name};
  }
}

// Returns nullopt when the run ends at once (help, version).
std::optional<Options> ParseArguments(const std::vector<std::string>& arguments) {
  Options options;
  options.service.workers = std::max(1, QThread::idealThreadCount());
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      std::cout << kUsage;
      return std::nullopt;
    }
    if (argument == "--version") {
      std::cout << kVersion << "\n";
      return std::nullopt;
    }
    const size_t equals = argument.find('=');
    if (argument.rfind("--", 0) != 0 || argument.size() == 2) throw UsageError{"argumento inesperado: " + argument};
    if (equals != std::string::npos) {
      SetOption(options, argument.substr(0, equals), argument.substr(equals + 1));
    } else if (i + 1 < arguments.size()) {
      SetOption(options, argument, arguments[++i]);
    } else {
      throw UsageError{"falta o valor de " + argument};
    }
  }
  if (!options.queueGiven) options.service.queueLength = 4 * options.service.workers;
  return options;
}

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

// SIGINT and SIGTERM end the service once the requests it took are answered; blocked in every
// thread and read here, so no handler runs in the middle of a print.
void StopOnSignals(QCoreApplication& application, TPrintService& service, std::chrono::milliseconds grace) {
  const sigset_t signals = StopSignals();
  const int descriptor = signalfd(-1, &signals, SFD_CLOEXEC);
  if (descriptor < 0) return;
  auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, &application);
  QObject::connect(notifier, &QSocketNotifier::activated, &application, [&application, &service, notifier, grace] {
    notifier->setEnabled(false);
    std::cerr << "damdfe-servidor: encerrando\n";
    service.StopListening();
    auto* poll = new QTimer(&application);
    QObject::connect(poll, &QTimer::timeout, &application, [&application, &service] {
      if (service.Idle()) application.quit();
    });
    poll->start(50);
    QTimer::singleShot(grace, &application, &QCoreApplication::quit);
  });
}

void BlockStopSignals() {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

int Serve(const Options& options, int argc, char** argv) {
  if (!options.logo.empty() && !FileExists(options.logo)) {
    std::cerr << "damdfe-servidor: " << kInvalidLogoPathMessage << ": " << options.logo << "\n";
    return 1;
  }
  BlockStopSignals();  // before any thread starts, so that every thread inherits it
  // PDFs need no window: a stale DISPLAY must not stop the service.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const std::string logo = options.logo;
  TPrintService service(options.service, [logo](const TJobInput& input) { return RunJob(input, logo); });
  QString error;
  const quint16 port = service.Start(error);
  if (port == 0) {
    std::cerr << "damdfe-servidor: não foi possível escutar em " << options.service.address.toString().toStdString()
              << ":" << options.service.port << ": " << error.toStdString() << "\n";
    return 1;
  }
  StopOnSignals(application, service, options.service.timeLimit);
  std::cerr << "damdfe-servidor escutando em http://" << options.service.address.toString().toStdString() << ":" << port
            << " (" << options.service.workers << " trabalhos, fila " << options.service.queueLength << ", limite "
            << options.service.limitBytes / (1024 * 1024) << " MB, ocioso "
            << std::chrono::duration_cast<std::chrono::seconds>(options.service.idleTime).count() << " s)" << std::endl;
  return application.exec();
}

}  // namespace

int main(int argc, char** argv) {
  KeepFreedMemoryBetweenJobs();
  try {
    const std::optional<Options> options = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) return 0;
    return Serve(*options, argc, argv);
  } catch (const UsageError& error) {
    std::cerr << "damdfe-servidor: " << error.message << "\nUse \"damdfe-servidor --help\" para ver as opções.\n";
    return 2;
  }
}
