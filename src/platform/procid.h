#pragma once
// The running process's identifier, which the shell adds to the name of its
// private temporary directory so two copies started at the same moment never
// share one.
namespace velt::platform {
long processId();
} // namespace velt::platform
