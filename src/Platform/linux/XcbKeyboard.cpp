#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include "Platform/linux/XcbKeyboard.h"

#include "Platform/linux/XcbDisplay.h"

// The XKB header names a field `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

namespace vesk {

namespace {
template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T>
Reply<T> reply(T *value)
{
    return Reply<T>(value, &std::free);
}
}  // namespace

XcbKeyboard *XcbKeyboard::shared()
{
    // Opened once; a display that cannot be opened is not retried (the session has none).
    static XcbKeyboard *instance = []() -> XcbKeyboard * {
        if (!QCoreApplication::instance())
            return nullptr;
        const XcbDisplay display = connectXcbDisplay();
        if (!display.connection)
            return nullptr;
        return new XcbKeyboard(display.connection, display.root);
    }();
    return instance;
}

XcbKeyboard::XcbKeyboard(xcb_connection_t *connection, xcb_window_t root) : connection_(connection), root_(root)
{
    readKeymap();
    setUpXkb();
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { dispatch(); });
    // Replies read events into xcb's queue, where the socket notifier cannot see them.
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, notifier_.get(), [this] { dispatch(true); });
}

XcbKeyboard::~XcbKeyboard()
{
    notifier_.reset();
    xcb_disconnect(connection_);
}

void XcbKeyboard::setUpXkb()
{
    const auto *extension = xcb_get_extension_data(connection_, &xcb_xkb_id);
    if (!extension || !extension->present)
        return;
    auto use = reply(xcb_xkb_use_extension_reply(
        connection_, xcb_xkb_use_extension(connection_, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr));
    if (!use || !use->supported)
        return;
    xkbEventBase_ = extension->first_event;
    // A held key repeats as presses alone, without a release before each.
    const uint32_t repeat = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    free(xcb_xkb_per_client_flags_reply(
        connection_, xcb_xkb_per_client_flags(connection_, XCB_XKB_ID_USE_CORE_KBD, repeat, repeat, 0, 0, 0), nullptr));
    const uint16_t events = XCB_XKB_EVENT_TYPE_STATE_NOTIFY | XCB_XKB_EVENT_TYPE_NAMES_NOTIFY
        | XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    const uint16_t whole = XCB_XKB_EVENT_TYPE_NAMES_NOTIFY | XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY;
    // Of the state, only the locks: a Shift press or a mouse click need not wake the process.
    xcb_xkb_select_events_details_t details{};
    details.affectState = XCB_XKB_STATE_PART_MODIFIER_LOCK | XCB_XKB_STATE_PART_GROUP_LOCK;
    details.stateDetails = details.affectState;
    xcb_xkb_select_events_aux(connection_, XCB_XKB_ID_USE_CORE_KBD, events, 0, whole, 0xFF, 0xFF, &details);
    readState();
    readGroupName();
}

void XcbKeyboard::readKeymap()
{
    const xcb_setup_t *setup = xcb_get_setup(connection_);
    minKeycode_ = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto mapping = reply(xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, uint8_t(count)), nullptr));
    keymap_.clear();
    keysymsPerKeycode_ = 0;
    if (!mapping)
        return;
    keysymsPerKeycode_ = mapping->keysyms_per_keycode;
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    keymap_.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(mapping.get()));
}

std::vector<xcb_keycode_t> XcbKeyboard::keycodes(xcb_keysym_t keysym) const
{
    std::vector<xcb_keycode_t> codes;
    if (keysymsPerKeycode_ <= 0)
        return codes;
    for (size_t i = 0; i < keymap_.size(); ++i) {
        if (keymap_[i] == keysym) {
            const auto code = xcb_keycode_t(minKeycode_ + i / size_t(keysymsPerKeycode_));
            if (codes.empty() || codes.back() != code)
                codes.push_back(code);
        }
    }
    return codes;
}

void XcbKeyboard::readState()
{
    auto state = reply(xcb_xkb_get_state_reply(connection_, xcb_xkb_get_state(connection_, XCB_XKB_ID_USE_CORE_KBD),
                                               nullptr));
    if (!state)
        return;
    lockedMods_ = state->lockedMods;
    lockedGroup_ = state->lockedGroup;
}

bool XcbKeyboard::isUsableName(const std::string &text)
{
    if (text.empty())
        return false;
    const auto name = QString::fromUtf8(text.data(), qsizetype(text.size()));
    return name.toUtf8() == QByteArray(text.data(), qsizetype(text.size()));
}

void XcbKeyboard::readGroupName()
{
    groupName_.reset();
    auto names = reply(xcb_xkb_get_names_reply(
        connection_, xcb_xkb_get_names(connection_, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_NAME_DETAIL_GROUP_NAMES),
        nullptr));
    if (!names)
        return;
    xcb_xkb_get_names_value_list_t list{};
    xcb_xkb_get_names_value_list_unpack(xcb_xkb_get_names_value_list(names.get()), names->nTypes, names->indicators,
                                        names->virtualMods, names->groupNames, names->nKeys, names->nKeyAliases,
                                        names->nRadioGroups, names->which, &list);
    const int count = xcb_xkb_get_names_value_list_groups_length(names.get(), &list);
    if (lockedGroup_ >= count || !list.groups)
        return;
    const xcb_atom_t atom = list.groups[lockedGroup_];
    if (atom == XCB_ATOM_NONE)
        return;
    auto atomName = reply(xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atom), nullptr));
    if (!atomName)
        return;
    std::string text(xcb_get_atom_name_name(atomName.get()), size_t(xcb_get_atom_name_name_length(atomName.get())));
    if (isUsableName(text))
        groupName_ = std::move(text);
}

void XcbKeyboard::dispatch(bool queuedOnly)
{
    xcb_flush(connection_);
    // Before the loop sleeps only what replies already read needs handling; the socket has its
    // notifier, and reading it there would cost a system call on every wake-up.
    auto next = [&] { return queuedOnly ? xcb_poll_for_queued_event(connection_) : xcb_poll_for_event(connection_); };
    while (xcb_generic_event_t *event = next()) {
        handle(event);
        std::free(event);
    }
}

void XcbKeyboard::handle(const xcb_generic_event_t *event)
{
    const uint8_t type = event->response_type & 0x7F;
    if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
        key(*reinterpret_cast<const xcb_key_press_event_t *>(event), type == XCB_KEY_PRESS);
        return;
    }
    if (type == XCB_MAPPING_NOTIFY) {
        const auto *mapping = reinterpret_cast<const xcb_mapping_notify_event_t *>(event);
        if (mapping->request == XCB_MAPPING_KEYBOARD) {
            readKeymap();
            keymapChanged();
        }
        return;
    }
    if (xkbEventBase_ < 0 || type != xkbEventBase_)
        return;
    const uint8_t xkbType = reinterpret_cast<const uint8_t *>(event)[1];
    switch (xkbType) {
    case XCB_XKB_STATE_NOTIFY: {
        const auto *state = reinterpret_cast<const xcb_xkb_state_notify_event_t *>(event);
        if (state->lockedMods == lockedMods_ && state->lockedGroup == lockedGroup_)
            return;
        const bool groupChanged = state->lockedGroup != lockedGroup_;
        lockedMods_ = state->lockedMods;
        lockedGroup_ = state->lockedGroup;
        if (groupChanged)
            readGroupName();
        stateChanged();
        break;
    }
    case XCB_XKB_NAMES_NOTIFY:
        readGroupName();
        stateChanged();
        break;
    case XCB_XKB_NEW_KEYBOARD_NOTIFY:
    case XCB_XKB_MAP_NOTIFY:
        readKeymap();
        if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY) {
            readState();
            readGroupName();
            stateChanged();
        }
        keymapChanged();
        break;
    default:
        break;
    }
}

}  // namespace vesk
