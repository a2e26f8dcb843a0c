#include "host/host_error.h"

#include <cstdio>

#include <QJsonDocument>
#include <QJsonObject>

int ReportHostError(bool json, const QString& message) {
  std::fprintf(stderr, "diag-host: %s\n", message.toLocal8Bit().constData());
  if (json) {
    const QJsonObject line{{QStringLiteral("call"), QStringLiteral("error")},
                           {QStringLiteral("message"), message},
                           {QStringLiteral("code"), kHostError}};
    std::fprintf(stdout, "%s\n", QJsonDocument(line).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
  }
  return kHostError;
}
