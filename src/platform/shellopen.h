#pragma once
// Handing things to the desktop: opening a file or URL ("mailto:...") with
// the associated program (xdg-open) and composing a mail with attachments in
// the user's mail program (xdg-email --attach). Tests: RecordedShell.
#include <memory>
#include <string>
#include <vector>

namespace velt::platform {

struct MailRequest {
    std::string subject;
    std::string body;
    std::vector<std::string> recipients;  // first = main recipient, others in copy
    std::vector<std::string> attachments; // full paths
};

class Shell {
public:
    virtual ~Shell() = default;
    // Starts the opener and does not wait for the opened program. False when
    // the opener could not be started.
    virtual bool open(const std::string& target) = 0;
    // Hands the message to the mail program and waits until the hand-over
    // finished (the attachment has been read). 0 on success, -1 when no mail
    // program can be started, otherwise the hand-over's failure code.
    virtual int mail(const MailRequest& m) = 0;
};

class RecordedShell : public Shell {
public:
    bool open(const std::string& target) override { opened_.push_back(target); return openResult; }
    int mail(const MailRequest& m) override { mails_.push_back(m); return mailResult; }
    const std::vector<std::string>& opened() const { return opened_; }
    const std::vector<MailRequest>& mails() const { return mails_; }
    bool openResult = true;
    int mailResult = 0;

private:
    std::vector<std::string> opened_;
    std::vector<MailRequest> mails_;
};

// xdg-open / xdg-email, started without a shell.
class XdgShell : public Shell {
public:
    bool open(const std::string& target) override;
    int mail(const MailRequest& m) override;
};

Shell& shell();   // default: RecordedShell
std::unique_ptr<Shell> setShell(std::unique_ptr<Shell> s); // returns the previous one

} // namespace velt::platform
