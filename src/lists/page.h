#pragma once

class Dataset;

// One page of the main window, as the navigation drives it: what entering and leaving it does,
// what F5 and the refresh timer re-run on it and what Ctrl+F does there. Which panels stand
// while the page is active is the main window's layout, not the page's.
class Page {
public:
    // The entry actions; they run on every entry, also when the page was active already.
    virtual void enter() = 0;
    // The leaving step, before another page becomes active.
    virtual void leave() {}
    // F5 and the refresh timer: re-runs the page's list; pages without one do nothing.
    virtual void refresh() {}
    // The dataset of the list refresh() re-runs; nullptr on pages without one.
    virtual Dataset* listDataset() const { return nullptr; }
    // Ctrl+F: shows or hides the search bar of the page's list where the page offers it.
    virtual void toggleSearchBar() {}

protected:
    ~Page() = default;
};
