#pragma once

#include "ProcessRunner.h"

#include <memory>

namespace brevant {

// The real runner: QProcess, resumed by its signals.
class QtProcessRunner final : public ProcessRunner {
public:
    QCoro::Task<void> runAndWait(QString program, QStringList arguments) override;
    QCoro::Task<void> runAndWaitDroppingErrors(QString program, QStringList arguments) override;
};

std::shared_ptr<ProcessRunner> defaultProcessRunner();

// The program's executable file: `program` itself when absolute, else found on the search path;
// empty when there is none that may be executed.
QString findProgram(const QString& program);

} // namespace brevant
