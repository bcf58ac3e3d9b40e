// Instance identity and the process-wide set of live controls. Browser
// callbacks arrive later than the calls that started them; they look their
// control up here and do nothing once it is gone.
#pragma once

#include <functional>

#include <cstddef>
#include <cstdint>

namespace Corvane {

class CCorvaneCtrl;

namespace LiveControls {

// (process id << 16) | a process-wide counter, one per control.
std::uint32_t NextInstanceId();

void Add(const CCorvaneCtrl* control);
void Remove(const CCorvaneCtrl* control);
bool IsLive(const CCorvaneCtrl* control);
// Runs `body` with the process-wide lock held, only while `control` is live;
// false when it is not. `body` must not destroy a control.
bool RunIfLive(const CCorvaneCtrl* control, const std::function<void()>& body);
std::size_t Count();

}  // namespace LiveControls
}  // namespace Corvane
