#include "platform/wayland/pipewire_stream.h"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <atomic>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace vz::wayland {

namespace {

constexpr int kMostDamageRectangles = 16;

void initPipeWire() {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

}  // namespace

struct PipeWireStream::State {
    std::shared_ptr<CastFrames> frames;
    EndHandler ended;
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook coreListener{};
    spa_hook streamListener{};
    spa_video_info_raw format{};
    bool formatKnown = false;
    bool endReported = false;  // PipeWire's thread only
    std::atomic<std::uint64_t> pictures{0};
    std::vector<std::uint8_t> paramBuffer = std::vector<std::uint8_t>(1024);

    void reportEnd(const QString& why) {
        if (endReported) return;
        endReported = true;
        if (ended) ended(why);
    }

    void onParamChanged(std::uint32_t id, const spa_pod* param) {
        if (!param || id != SPA_PARAM_Format) return;
        std::uint32_t mediaType = 0, mediaSubtype = 0;
        if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 || mediaType != SPA_MEDIA_TYPE_video ||
            mediaSubtype != SPA_MEDIA_SUBTYPE_raw)
            return;
        spa_video_info_raw info{};
        if (spa_format_video_raw_parse(param, &info) < 0) return;
        format = info;
        formatKnown = true;

        // Buffers we can map, and the metadata that says what changed.
        spa_pod_builder b = SPA_POD_BUILDER_INIT(paramBuffer.data(), std::uint32_t(paramBuffer.size()));
        const spa_pod* params[3];
        params[0] = static_cast<const spa_pod*>(
            spa_pod_builder_add_object(&b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
                                       SPA_POD_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr))));
        params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header),
            SPA_PARAM_META_size, SPA_POD_Int(int(sizeof(spa_meta_header)))));
        params[2] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_VideoDamage),
            SPA_PARAM_META_size,
            SPA_POD_CHOICE_RANGE_Int(int(sizeof(spa_meta_region) * kMostDamageRectangles), int(sizeof(spa_meta_region)),
                                     int(sizeof(spa_meta_region) * kMostDamageRectangles))));
        pw_stream_update_params(stream, params, 3);
    }

    void onProcess() {
        // Only the newest buffer matters: older ones go straight back.
        pw_buffer* newest = nullptr;
        while (pw_buffer* b = pw_stream_dequeue_buffer(stream)) {
            if (newest) pw_stream_queue_buffer(stream, newest);
            newest = b;
        }
        if (!newest) return;
        take(newest->buffer);
        pw_stream_queue_buffer(stream, newest);
    }

    void take(spa_buffer* buffer) {
        if (!formatKnown || buffer->n_datas < 1) return;
        const spa_data& data = buffer->datas[0];
        if (!data.data || !data.chunk || (data.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED)) return;
        auto* header =
            static_cast<spa_meta_header*>(spa_buffer_find_meta_data(buffer, SPA_META_Header, sizeof(spa_meta_header)));
        if (header && (header->flags & SPA_META_HEADER_FLAG_CORRUPTED)) return;

        PixelOrder order;
        switch (format.format) {
            case SPA_VIDEO_FORMAT_BGRx:
            case SPA_VIDEO_FORMAT_BGRA: order = PixelOrder::Bgrx; break;
            case SPA_VIDEO_FORMAT_RGBx:
            case SPA_VIDEO_FORMAT_RGBA: order = PixelOrder::Rgbx; break;
            default: return;
        }
        const QSize size(int(format.size.width), int(format.size.height));
        const int stride = data.chunk->stride > 0 ? data.chunk->stride : size.width() * 4;
        if (std::uint64_t(data.chunk->offset) + std::uint64_t(stride) * std::uint64_t(size.height()) > data.maxsize)
            return;

        QRegion damage;
        bool damageKnown = false;
        if (spa_meta* meta = spa_buffer_find_meta(buffer, SPA_META_VideoDamage)) {
            damageKnown = true;
            spa_meta_region* r;
            spa_meta_for_each(r, meta) {
                if (!spa_meta_region_is_valid(r)) break;
                damage += QRect(r->region.position.x, r->region.position.y, int(r->region.size.width),
                                int(r->region.size.height));
            }
            // Some producers send the metadata without filling it in.
            if (damage.isEmpty() && pictures.load() == 0) damageKnown = false;
        }
        frames->store(static_cast<const std::uint8_t*>(data.data) + data.chunk->offset, size, stride, order,
                      damageKnown ? &damage : nullptr);
        pictures.fetch_add(1);
    }

    ~State() {
        // Closing on purpose is no end to report.
        if (loop) {
            pw_thread_loop_lock(loop);
            ended = nullptr;
            pw_thread_loop_unlock(loop);
            pw_thread_loop_stop(loop);
        }
        if (stream) pw_stream_destroy(stream);
        if (core) pw_core_disconnect(core);
        if (context) pw_context_destroy(context);
        if (loop) pw_thread_loop_destroy(loop);
    }
};

namespace {

const pw_stream_events kStreamEvents = [] {
    pw_stream_events e{};
    e.version = PW_VERSION_STREAM_EVENTS;
    e.state_changed = [](void* data, pw_stream_state, pw_stream_state state, const char* error) {
        auto* s = static_cast<PipeWireStream::State*>(data);
        if (state == PW_STREAM_STATE_ERROR)
            s->reportEnd(QStringLiteral("the screen stream failed: %1").arg(QString::fromUtf8(error ? error : "")));
        else if (state == PW_STREAM_STATE_UNCONNECTED)
            s->reportEnd(QStringLiteral("the screen stream was closed"));
    };
    e.param_changed = [](void* data, std::uint32_t id, const spa_pod* param) {
        static_cast<PipeWireStream::State*>(data)->onParamChanged(id, param);
    };
    e.process = [](void* data) { static_cast<PipeWireStream::State*>(data)->onProcess(); };
    return e;
}();

const pw_core_events kCoreEvents = [] {
    pw_core_events e{};
    e.version = PW_VERSION_CORE_EVENTS;
    e.error = [](void* data, std::uint32_t id, int, int res, const char* message) {
        if (id != PW_ID_CORE || res != -EPIPE) return;
        (void)message;
        static_cast<PipeWireStream::State*>(data)->reportEnd(QStringLiteral("the connection to PipeWire was lost"));
    };
    return e;
}();

}  // namespace

std::unique_ptr<PipeWireStream> PipeWireStream::open(int fd, std::uint32_t node, std::shared_ptr<CastFrames> frames,
                                                     EndHandler ended, QString* error) {
    initPipeWire();
    auto fail = [&](const char* what) -> std::unique_ptr<PipeWireStream> {
        if (error) *error = QString::fromUtf8(what);
        return nullptr;
    };
    auto state = std::make_unique<State>();
    state->frames = std::move(frames);
    state->ended = std::move(ended);
    state->loop = pw_thread_loop_new("vivivoz-cast", nullptr);
    if (!state->loop) {
        ::close(fd);
        return fail("cannot make PipeWire's thread");
    }
    state->context = pw_context_new(pw_thread_loop_get_loop(state->loop), nullptr, 0);
    if (!state->context) {
        ::close(fd);
        return fail("cannot make a PipeWire context");
    }
    if (pw_thread_loop_start(state->loop) < 0) {
        ::close(fd);
        return fail("cannot start PipeWire's thread");
    }
    pw_thread_loop_lock(state->loop);
    state->core = pw_context_connect_fd(state->context, fd, nullptr, 0);  // owns fd from here
    if (!state->core) {
        pw_thread_loop_unlock(state->loop);
        return fail("cannot connect to PipeWire");
    }
    pw_core_add_listener(state->core, &state->coreListener, &kCoreEvents, state.get());
    state->stream = pw_stream_new(state->core, "vivivoz-screen",
                                  pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                                    PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    if (!state->stream) {
        pw_thread_loop_unlock(state->loop);
        return fail("cannot make a PipeWire stream");
    }
    pw_stream_add_listener(state->stream, &state->streamListener, &kStreamEvents, state.get());

    std::uint8_t buffer[1024];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    spa_rectangle sizeDefault{1920, 1080}, sizeMin{1, 1}, sizeMax{16384, 16384};
    spa_fraction rateDefault{30, 1}, rateMin{0, 1}, rateMax{1000, 1};
    const spa_pod* params[1];
    params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                               SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&sizeDefault, &sizeMin, &sizeMax),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&rateDefault, &rateMin, &rateMax)));
    const int connected =
        pw_stream_connect(state->stream, PW_DIRECTION_INPUT, node,
                          pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS), params, 1);
    pw_thread_loop_unlock(state->loop);
    if (connected < 0) return fail("cannot connect the PipeWire stream");
    return std::unique_ptr<PipeWireStream>(new PipeWireStream(std::move(state)));
}

PipeWireStream::PipeWireStream(std::unique_ptr<State> state) : state_(std::move(state)) {}

PipeWireStream::~PipeWireStream() = default;

std::uint64_t PipeWireStream::pictures() const { return state_->pictures.load(); }

}  // namespace vz::wayland
