#include "platform/scripted.h"

namespace velt::platform {

namespace {
template <class T, class Base>
T* install(std::unique_ptr<Base> (*set)(std::unique_ptr<Base>), std::unique_ptr<Base>& old)
{
    auto p = std::make_unique<T>();
    T* raw = p.get();
    old = set(std::move(p));
    return raw;
}
} // namespace

ScriptedServices::ScriptedServices()
    : boxes_(install<ScriptedMessageBoxes>(setMessageBoxes, oldBoxes_)),
      files_(install<ScriptedFileDialogs>(setFileDialogs, oldFiles_)),
      tones_(install<RecordedTones>(setTones, oldTones_)),
      shell_(install<RecordedShell>(setShell, oldShell_)),
      end_(install<RecordedProgramEnd>(setProgramEnd, oldEnd_))
{
}

ScriptedServices::~ScriptedServices()
{
    setMessageBoxes(std::move(oldBoxes_));
    setFileDialogs(std::move(oldFiles_));
    setTones(std::move(oldTones_));
    setShell(std::move(oldShell_));
    setProgramEnd(std::move(oldEnd_));
}

} // namespace velt::platform
