#include "framework/TestSeam.h"

#include <deque>
#include <mutex>

namespace nodescout {

namespace {

struct SeamState {
    std::mutex mutex;
    bool strict = false;
    std::deque<int> messageBoxAnswers;
    std::deque<UiTestSeam::ModalAnswer> modalAnswers;
    std::vector<ShownMessageBox> messageBoxes;
    std::vector<UINT> modalRuns;
    int unanswered = 0;
};

SeamState& State() {
    static SeamState state;
    return state;
}

// Moves the first queued answer into taken; false when none is queued.
template <class Answer>
bool TakeFirst(std::deque<Answer>& queued, Answer& taken) {
    std::lock_guard lock(State().mutex);
    if (queued.empty()) {
        return false;
    }
    taken = std::move(queued.front());
    queued.pop_front();
    return true;
}

} // namespace

void UiTestSeam::SetStrict(bool bStrict) {
    std::lock_guard lock(State().mutex);
    State().strict = bStrict;
}

bool UiTestSeam::IsStrict() {
    std::lock_guard lock(State().mutex);
    return State().strict;
}

void UiTestSeam::QueueMessageBoxAnswer(int nResult) {
    std::lock_guard lock(State().mutex);
    State().messageBoxAnswers.push_back(nResult);
}

void UiTestSeam::QueueModalAnswer(int nCommand, std::function<void(CDialog&)> onOpen) {
    std::lock_guard lock(State().mutex);
    State().modalAnswers.push_back(ModalAnswer{nCommand, std::move(onOpen)});
}

std::vector<ShownMessageBox> UiTestSeam::MessageBoxes() {
    std::lock_guard lock(State().mutex);
    return State().messageBoxes;
}

std::vector<UINT> UiTestSeam::ModalRuns() {
    std::lock_guard lock(State().mutex);
    return State().modalRuns;
}

int UiTestSeam::UnansweredCount() {
    std::lock_guard lock(State().mutex);
    return State().unanswered;
}

int UiTestSeam::PendingAnswerCount() {
    std::lock_guard lock(State().mutex);
    return static_cast<int>(State().messageBoxAnswers.size() + State().modalAnswers.size());
}

void UiTestSeam::Reset() {
    std::lock_guard lock(State().mutex);
    SeamState& state = State();
    state.messageBoxAnswers.clear();
    state.modalAnswers.clear();
    state.messageBoxes.clear();
    state.modalRuns.clear();
    state.unanswered = 0;
}

void UiTestSeam::RecordModalRun(UINT nIDTemplate) {
    std::lock_guard lock(State().mutex);
    State().modalRuns.push_back(nIDTemplate);
}

bool UiTestSeam::TakeModalAnswer(ModalAnswer& answer) {
    return TakeFirst(State().modalAnswers, answer);
}

bool UiTestSeam::TakeMessageBoxAnswer(int& nResult) {
    return TakeFirst(State().messageBoxAnswers, nResult);
}

void UiTestSeam::RecordMessageBox(ShownMessageBox shown) {
    std::lock_guard lock(State().mutex);
    State().messageBoxes.push_back(std::move(shown));
}

void UiTestSeam::RecordUnanswered() {
    std::lock_guard lock(State().mutex);
    ++State().unanswered;
}

} // namespace nodescout
