#pragma once

namespace veltra {

// The state a command's user-interface item should show. Each update handler calls exactly
// one of these; the application maps them onto its actions (a radio or check mark shows as a
// pressed toolbar button).
class CCmdUI {
public:
    virtual ~CCmdUI() = default;
    virtual void Enable(bool on) = 0;
    virtual void SetCheck(int check) = 0;
    virtual void SetRadio(bool on) = 0;
};

}  // namespace veltra
