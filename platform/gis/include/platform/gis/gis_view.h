// The MapGIS view classes (w60oper.dll, maped60.dll). Nothing of them is called; views derive from
// the edit view.
#pragma once

class CGisView {
public:
    CGisView() = default;
    virtual ~CGisView() = default;
    CGisView(const CGisView&) = delete;
    CGisView& operator=(const CGisView&) = delete;
};

class CGisEditView : public CGisView {
public:
    CGisEditView() = default;
    ~CGisEditView() override = default;
};
