#include "Script.h"

#include "ScriptSession.h"

#include <chrono>
#include <utility>
#include <vector>

TScriptRunner::TScriptRunner(std::string scriptText, std::string artifactDir)
    : FScriptText(std::move(scriptText)), FArtifactDir(std::move(artifactDir)) {}

TScriptRunner::~TScriptRunner() {
  FCancel = true;
  if (FThread.joinable()) FThread.join();
}

void TScriptRunner::Start() {
  if (FThread.joinable()) return;
  FThread = std::thread([this] { Run(); });
}

bool TScriptRunner::Wait(unsigned timeoutMs) {
  std::unique_lock<std::mutex> lock(FLock);
  if (!FThread.joinable()) return FDone;
  return FFinished.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return FDone; });
}

bool TScriptRunner::Succeeded() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FDone && FSucceeded;
}

std::string TScriptRunner::Error() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FError;
}

void TScriptRunner::Run() noexcept {
  std::string error;
  try {
    const std::vector<TCommand> commands = ReadScript(FScriptText);
    TScriptSession session(FArtifactDir, FCancel);
    for (const TCommand& command : commands) {
      try {
        session.Execute(command);
      } catch (const std::exception& failure) {
        throw TScriptError("line " + std::to_string(command.Line) + ": " + command.Words[0] + ": " + failure.what());
      }
    }
  } catch (const std::exception& failure) {
    error = failure.what();
    if (error.empty()) error = "the script failed";
  } catch (...) {
    error = "the script failed";
  }
  try {
    std::lock_guard<std::mutex> lock(FLock);
    FSucceeded = error.empty();
    FError = std::move(error);
    FDone = true;
  } catch (...) {
  }
  FFinished.notify_all();
}
