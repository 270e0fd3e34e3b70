#include "comms/sendchecks.h"

#include "platform/qvaerrors.h"
#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"

namespace {

bool ReadFlag(const TRegistry& registry, const QString& name) {
  if (!registry.ValueExists(name)) return false;
  try {
    return registry.ReadInteger(name) != 0;
  } catch (const Exception&) {
    // A value of another type, left by hand: the check stays off.
    return false;
  }
}

}  // namespace

SendChecks ReadSendChecks() {
  TRegistry registry;
  OpenApplicationKey(registry);
  return {ReadFlag(registry, kReviewBeforeSendValueName), ReadFlag(registry, kVerifyAfterSendValueName)};
}

void WriteSendChecks(const SendChecks& checks) {
  TRegistry registry;
  OpenApplicationKey(registry);
  registry.WriteInteger(kReviewBeforeSendValueName, checks.review ? 1 : 0);
  registry.WriteInteger(kVerifyAfterSendValueName, checks.verify ? 1 : 0);
}
