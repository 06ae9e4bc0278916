#include "win32/platform/schannel_flow.h"

#include <algorithm>

#include "core/net/tls_records.h"

namespace postwink::win {
namespace {
// More rounds than any handshake flight needs: a context that keeps asking is broken.
constexpr int kMaxRounds = 64;
}  // namespace

SchannelFlow::StepEnd SchannelFlow::Step(std::string& pending, size_t length, std::string& out) {
  size_t sent = out.size();
  SspiContext::Step step =
      sspi_.Initialize(request_, std::string_view(pending.data(), length), out);
  switch (step.status) {
    case SEC_E_INCOMPLETE_MESSAGE:
      // A handshake message spread over records still to come; with nothing given, the context
      // cannot start a new handshake at all.
      return length == 0 ? StepEnd::kFail : StepEnd::kWait;
    case SEC_I_INCOMPLETE_CREDENTIALS:
      // The server asks for a client certificate, which is optional unless it ends the handshake:
      // the same input again, saying that there is none.
      if ((request_ & ISC_REQ_USE_SUPPLIED_CREDS) != 0) return StepEnd::kFail;
      request_ |= ISC_REQ_USE_SUPPLIED_CREDS;
      return StepEnd::kAgain;
    case SEC_E_OK:
    case SEC_I_CONTINUE_NEEDED: {
      size_t taken = length - std::min(step.extra, length);
      pending.erase(0, taken);
      if (step.status == SEC_E_OK) return StepEnd::kDone;
      // Nothing taken and nothing to send: wait for more.
      return taken == 0 && out.size() == sent ? StepEnd::kWait : StepEnd::kAgain;
    }
    default:
      return StepEnd::kFail;
  }
}

bool SchannelFlow::Handshake(std::string& pending, std::string& out, bool& done) {
  // Whole records only: SChannel is never handed a cut record header.
  for (int round = 0; round < kMaxRounds; ++round) {
    size_t whole = WholeRecordsLength(pending);
    if (whole == 0) return true;
    switch (Step(pending, whole, out)) {
      case StepEnd::kAgain:
        continue;
      case StepEnd::kWait:
        return true;
      case StepEnd::kDone:
        done = true;
        return true;
      case StepEnd::kFail:
        return false;
    }
  }
  return false;
}

SchannelFlow::Outcome SchannelFlow::Feed(std::string& pending, std::string& out,
                                         std::string& plain) {
  Outcome outcome;
  if (stage_ == Stage::kHandshake || stage_ == Stage::kRenegotiating) {
    bool renegotiating = stage_ == Stage::kRenegotiating;
    bool done = false;
    if (!Handshake(pending, out, done)) {
      outcome.failure = renegotiating ? TlsFailure::kRenegotiation : TlsFailure::kHandshake;
      return outcome;
    }
    if (!done) return outcome;
    if (!renegotiating) {
      stage_ = Stage::kChecking;
      outcome.handshakeDone = true;
      return outcome;
    }
    outcome.failure = Renegotiated();
    if (outcome.failure != TlsFailure::kNone) return outcome;
  }
  if (stage_ != Stage::kSecured) return outcome;
  outcome.failure = Decrypt(pending, out, plain, outcome.closed);
  return outcome;
}

TlsFailure SchannelFlow::Decrypt(std::string& pending, std::string& out, std::string& plain,
                                 bool& closed) {
  // One record per call: later records come back as EXTRA otherwise, and Wine reads a record
  // header without checking that it is all there.
  int renegotiations = 0;
  while (stage_ == Stage::kSecured && WholeRecordsLength(pending) > 0) {
    size_t record = kTlsRecordHeader + (static_cast<unsigned char>(pending[3]) << 8 |
                                        static_cast<unsigned char>(pending[4]));
    SspiContext::Step step = sspi_.Decrypt(pending.data(), record, plain);
    if (step.status == SEC_I_CONTEXT_EXPIRED) {
      closed = true;
      pending.erase(0, record);
      return TlsFailure::kNone;
    }
    if (step.status == SEC_E_OK) {
      pending.erase(0, record);
      continue;
    }
    if (step.status != SEC_I_RENEGOTIATE) return TlsFailure::kTransfer;
    // What the record leaves over (a handshake message) is for the new handshake. A context that
    // keeps asking without taking anything is broken.
    if (++renegotiations > kMaxRounds) return TlsFailure::kRenegotiation;
    pending.erase(0, record - std::min(step.extra, record));
    TlsFailure failure = Renegotiate(pending, out);
    if (failure != TlsFailure::kNone) return failure;
  }
  return TlsFailure::kNone;
}

TlsFailure SchannelFlow::Renegotiate(std::string& pending, std::string& out) {
  stage_ = Stage::kRenegotiating;
  StepEnd end = Step(pending, WholeRecordsLength(pending), out);
  bool done = end == StepEnd::kDone;
  if (end == StepEnd::kFail || (end == StepEnd::kAgain && !Handshake(pending, out, done))) {
    return TlsFailure::kRenegotiation;
  }
  if (!done) return TlsFailure::kNone;  // the server's answer is still to come
  return Renegotiated();
}

TlsFailure SchannelFlow::Renegotiated() {
  if (!goOn_()) return TlsFailure::kRenegotiation;
  stage_ = Stage::kSecured;
  return TlsFailure::kNone;
}

}  // namespace postwink::win
