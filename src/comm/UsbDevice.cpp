// libusb access to the instrument: find by vendor/product id, claim the
// interface that offers a bulk pipe each way, move 4096-byte blocks.
#include "comm/UsbDevice.h"

#include <libusb.h>

#include <cstdio>

namespace stepvane {

namespace {

constexpr unsigned kWriteTimeoutMs = 5000;

QString usbError(int code)
{
    return QString::fromLatin1(libusb_strerror(code));
}

} // namespace

UsbDevice::UsbDevice(int vendorId, int productId) : m_vendorId(vendorId), m_productId(productId) {}

UsbDevice::~UsbDevice()
{
    close();
}

bool UsbDevice::connect()
{
    close();
    if (m_vendorId < 0 || m_productId < 0) {
        m_lastError = QStringLiteral(
            "No USB device is configured: set UsbVendorId and UsbProductId (hex, for example "
            "1a2b) in the [Connection] group of the Stepvane settings file");
        return false;
    }
    const int rc = libusb_init(&m_context);
    if (rc != 0) {
        m_context = nullptr;
        m_lastError = QStringLiteral("libusb: %1").arg(usbError(rc));
        return false;
    }
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(m_context, &list);
    bool found = false;
    int openError = 0;
    for (ssize_t i = 0; i < count && !m_handle; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(list[i], &descriptor) != 0 ||
            descriptor.idVendor != m_vendorId || descriptor.idProduct != m_productId)
            continue;
        found = true;
        openError = libusb_open(list[i], &m_handle);
        if (openError != 0)
            m_handle = nullptr;
    }
    if (count > 0)
        libusb_free_device_list(list, 1);
    const QString id = QStringLiteral("%1:%2")
                           .arg(m_vendorId, 4, 16, QLatin1Char('0'))
                           .arg(m_productId, 4, 16, QLatin1Char('0'));
    if (!m_handle) {
        m_lastError = found ? QStringLiteral("USB device %1 found but not opened (%2); is the "
                                             "udev rule installed?")
                                  .arg(id, usbError(openError))
                            : QStringLiteral("No USB device %1 is present").arg(id);
        close();
        return false;
    }
    if (!claim()) {
        close();
        return false;
    }
    return true;
}

bool UsbDevice::claim()
{
    libusb_config_descriptor *config = nullptr;
    int rc = libusb_get_active_config_descriptor(libusb_get_device(m_handle), &config);
    if (rc != 0) {
        m_lastError = QStringLiteral("USB configuration: %1").arg(usbError(rc));
        return false;
    }
    for (int i = 0; i < config->bNumInterfaces && m_interface < 0; ++i) {
        const libusb_interface &iface = config->interface[i];
        for (int a = 0; a < iface.num_altsetting && m_interface < 0; ++a) {
            const libusb_interface_descriptor &alt = iface.altsetting[a];
            unsigned char out = 0, in = 0;
            for (int e = 0; e < alt.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor &ep = alt.endpoint[e];
                if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK)
                    continue;
                if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN) {
                    if (!in)
                        in = ep.bEndpointAddress;
                } else if (!out) {
                    out = ep.bEndpointAddress;
                }
            }
            if (out && in) {
                m_interface = alt.bInterfaceNumber;
                m_outEndpoint = out;
                m_inEndpoint = in;
            }
        }
    }
    libusb_free_config_descriptor(config);
    if (m_interface < 0) {
        m_lastError = QStringLiteral("The USB device has no interface with bulk endpoints");
        return false;
    }
    libusb_set_auto_detach_kernel_driver(m_handle, 1);
    rc = libusb_claim_interface(m_handle, m_interface);
    if (rc != 0) {
        m_lastError = QStringLiteral("USB interface %1: %2").arg(m_interface).arg(usbError(rc));
        m_interface = -1;
        return false;
    }
    return true;
}

int UsbDevice::read(uint8_t *buffer, int size, int timeoutMs)
{
    if (!m_handle || !buffer || size < 1)
        return -1;
    int transferred = 0;
    const int rc = libusb_bulk_transfer(m_handle, m_inEndpoint, buffer, size, &transferred,
                                        unsigned(timeoutMs > 0 ? timeoutMs : 1));
    if (rc == 0 || (rc == LIBUSB_ERROR_TIMEOUT && transferred > 0))
        return transferred;
    if (rc == LIBUSB_ERROR_TIMEOUT)
        return 0;
    m_lastError = usbError(rc);
    return -1;
}

int UsbDevice::write(const uint8_t *data, int size)
{
    if (!m_handle || !data || size < 1)
        return -1;
    int transferred = 0;
    const int rc = libusb_bulk_transfer(m_handle, m_outEndpoint, const_cast<uint8_t *>(data), size,
                                        &transferred, kWriteTimeoutMs);
    if (rc != 0 || transferred != size) {
        m_lastError = rc != 0 ? usbError(rc) : QStringLiteral("short USB write");
        return -1;
    }
    return size;
}

void UsbDevice::close()
{
    if (m_handle) {
        if (m_interface >= 0)
            libusb_release_interface(m_handle, m_interface);
        libusb_close(m_handle);
        m_handle = nullptr;
    }
    m_interface = -1;
    if (m_context) {
        libusb_exit(m_context);
        m_context = nullptr;
    }
}

} // namespace stepvane
