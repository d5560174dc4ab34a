// What a rip asks of its progress dialog. The job knows no window: the program's dialog, the
// console ripper and the tests implement this.
#pragma once

#include <cstdint>

enum class RipResult { Finished, Cancelled };

class RipProgress
{
public:
    virtual ~RipProgress() = default;
    // From the encoder thread: the meter position, 0 to 100, only when the percentage changes.
    virtual void SetPosition(int percent) = 0;
    // From any thread, without waiting for the user-interface thread: ends the dialog with the
    // result. Only the first close counts; later requests have no effect.
    virtual void Close(RipResult result) = 0;
    // From the set-up on the user-interface thread: OK (true) or Cancel to overwrite.
    virtual bool AskOverwrite(const char* caption, const char* text) = 0;
    virtual void ShowError(const char* caption, const char* text) = 0;
    // How long the encoder thread lets the finished meter show before it closes the dialog.
    virtual uint32_t ClosePauseMs() const = 0;
};
