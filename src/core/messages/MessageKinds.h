#pragma once

namespace corvane {

// The button sets of the message window. The values are the numbers the
// message switches and the run-time modules have always used for them.
enum class MessageButtons {
    Ok = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
};

// The button a message was answered with; None when it was not shown.
// Closing the window (Escape, the title bar) answers Cancel.
enum class MessageAnswer {
    None = 0,
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
};

// The answer of a message nobody can see (no window, no display): the
// declining button of its set (Cancel, Abort or No; OK for a plain message).
constexpr MessageAnswer declinedAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::OkCancel: return MessageAnswer::Cancel;
    case MessageButtons::AbortRetryIgnore: return MessageAnswer::Abort;
    case MessageButtons::YesNoCancel: return MessageAnswer::Cancel;
    case MessageButtons::YesNo: return MessageAnswer::No;
    case MessageButtons::RetryCancel: return MessageAnswer::Cancel;
    case MessageButtons::Ok: break;
    }
    return MessageAnswer::Ok;
}

} // namespace corvane
