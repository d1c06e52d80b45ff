import QtQuick 2.12

// The Pin view's list: the same list, under the name the Pin view is known by.
MainListLocal {
}
