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

} // namespace brevant
