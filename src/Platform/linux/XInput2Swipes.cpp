#include "Platform/linux/XInput2Swipes.h"

#include "Platform/linux/XcbDisplay.h"

#include <QDBusConnection>
#include <QObject>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>

namespace vesk {

namespace {

// The X server reports a gesture's movement in libinput's units, normalised to a 1000-dpi pointer.
// A typical touchpad is about 100 mm wide, some 4000 such units; movements are measured in that
// fraction of a pad, as a finger's position on the pad would be.
constexpr double kPadWidthUnits = 4000;

double fixed(xcb_input_fp1616_t v) { return double(v) / 65536.0; }

// Watches logind for the end of a sleep. Qt's D-Bus binding needs a slot to call.
class SleepWatcher : public QObject {
    Q_OBJECT
public:
    explicit SleepWatcher(SwipeSource &source) : source_(source)
    {
        QDBusConnection::systemBus().connect(QStringLiteral("org.freedesktop.login1"),
                                             QStringLiteral("/org/freedesktop/login1"),
                                             QStringLiteral("org.freedesktop.login1.Manager"),
                                             QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
    }

public slots:
    void prepareForSleep(bool sleeping)
    {
        if (!sleeping)
            source_.woke();
    }

private:
    SwipeSource &source_;
};

}  // namespace

struct XInput2Swipes::X {
    xcb_connection_t *c = nullptr;
    xcb_window_t root = 0;
    uint8_t opcode = 0;
    std::unique_ptr<QObject> context;
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<SleepWatcher> sleep;
    int fingers = 0;
    double x = 0.5, y = 0.5;

    bool ok() const { return c && !xcb_connection_has_error(c); }
};

XInput2Swipes::XInput2Swipes() : x_(std::make_unique<X>())
{
    x_->sleep = std::make_unique<SleepWatcher>(*this);
    const XcbDisplay display = connectXcbDisplay();
    if (!display.connection)
        return;
    xcb_connection_t *c = display.connection;
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_input_id);
    bool gestures = false;
    if (ext && ext->present) {
        if (auto *v = xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 4), nullptr)) {
            gestures = v->major_version > 2 || (v->major_version == 2 && v->minor_version >= 4);
            std::free(v);
        }
    }
    if (!gestures) {
        xcb_disconnect(c);
        return;
    }
    x_->c = c;
    x_->opcode = ext->major_opcode;
    x_->root = display.root;
    x_->context = std::make_unique<QObject>();
    x_->notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(x_->notifier.get(), &QSocketNotifier::activated, x_->context.get(), [this] { readEvents(); });
}

XInput2Swipes::~XInput2Swipes()
{
    x_->notifier.reset();
    x_->context.reset();
    if (x_->c)
        xcb_disconnect(x_->c);
}

std::vector<uint64_t> XInput2Swipes::devices()
{
    std::vector<uint64_t> pads;
    if (!x_->ok())
        return pads;
    auto *reply = xcb_input_xi_query_device_reply(x_->c, xcb_input_xi_query_device(x_->c, XCB_INPUT_DEVICE_ALL), nullptr);
    if (!reply)
        return pads;
    for (auto info = xcb_input_xi_query_device_infos_iterator(reply); info.rem; xcb_input_xi_device_info_next(&info)) {
        if (info.data->type != XCB_INPUT_DEVICE_TYPE_SLAVE_POINTER)
            continue;
        // Only devices that can make gestures (touchpads) carry a gesture class.
        for (auto cls = xcb_input_xi_device_info_classes_iterator(info.data); cls.rem; xcb_input_device_class_next(&cls)) {
            if (cls.data->type == XCB_INPUT_DEVICE_CLASS_TYPE_GESTURE) {
                pads.push_back(info.data->deviceid);
                break;
            }
        }
    }
    std::free(reply);
    // Our reply may have arrived after events that the notifier will not see again.
    QMetaObject::invokeMethod(x_->context.get(), [this] { readEvents(); }, Qt::QueuedConnection);
    return pads;
}

void XInput2Swipes::listen(uint64_t device)
{
    if (!x_->ok())
        return;
    // Event types 30 to 32 straddle the first 32-bit word of the mask.
    struct {
        xcb_input_event_mask_t head;
        uint32_t bits[2];
    } mask{};
    mask.head.deviceid = xcb_input_device_id_t(device);
    mask.head.mask_len = 2;
    auto set = [&](int type) { mask.bits[type / 32] |= 1u << (type % 32); };
    set(XCB_INPUT_GESTURE_SWIPE_BEGIN);
    set(XCB_INPUT_GESTURE_SWIPE_UPDATE);
    set(XCB_INPUT_GESTURE_SWIPE_END);
    // Selecting again replaces this device's mask: a device listened to twice reports once.
    xcb_input_xi_select_events(x_->c, x_->root, 1, &mask.head);
    xcb_flush(x_->c);
}

void XInput2Swipes::readEvents()
{
    if (!x_->ok()) {
        x_->notifier.reset();
        return;
    }
    while (xcb_generic_event_t *event = xcb_poll_for_event(x_->c)) {
        auto *ge = reinterpret_cast<xcb_ge_generic_event_t *>(event);
        if ((event->response_type & 0x7f) == XCB_GE_GENERIC && ge->extension == x_->opcode
            && ge->event_type >= XCB_INPUT_GESTURE_SWIPE_BEGIN && ge->event_type <= XCB_INPUT_GESTURE_SWIPE_END) {
            auto *e = reinterpret_cast<xcb_input_gesture_swipe_begin_event_t *>(event);
            std::vector<TouchContact> contacts;
            switch (ge->event_type) {
            case XCB_INPUT_GESTURE_SWIPE_BEGIN:
                x_->fingers = int(e->detail);
                x_->x = x_->y = 0.5;
                break;
            case XCB_INPUT_GESTURE_SWIPE_UPDATE:
                x_->fingers = int(e->detail);
                x_->x += fixed(e->delta_unaccel_x) / kPadWidthUnits;
                x_->y += fixed(e->delta_unaccel_y) / kPadWidthUnits;
                break;
            default:
                x_->fingers = 0;  // ended or cancelled: every finger is up
                break;
            }
            contacts.assign(size_t(x_->fingers), {TouchContact::Phase::touching, float(x_->x), float(x_->y)});
            frame(contacts);
        }
        std::free(event);
    }
    if (!x_->ok())
        x_->notifier.reset();
}

}  // namespace vesk

#include "XInput2Swipes.moc"
