// The instrument's USB link through libusb-1.0: the device with the vendor and
// product id of the settings, its first interface with one bulk OUT and one
// bulk IN endpoint, and transfers of whole 4096-byte blocks.
#pragma once

#include "comm/CommTransport.h"

struct libusb_context;
struct libusb_device_handle;

namespace stepvane {

class UsbDevice : public CommTransport {
public:
    // Ids of -1 mean "not configured": connect() then fails and says what to set.
    UsbDevice(int vendorId, int productId);
    ~UsbDevice() override;
    UsbDevice(const UsbDevice &) = delete;
    UsbDevice &operator=(const UsbDevice &) = delete;

    bool connect() override;
    bool isOpen() const override { return m_handle != nullptr; }
    // One bulk IN transfer; 0 when nothing came within the time-out.
    int read(uint8_t *buffer, int size, int timeoutMs) override;
    // One bulk OUT transfer of all the bytes (5 s at most).
    int write(const uint8_t *data, int size) override;
    void close() override;

private:
    bool claim();

    int m_vendorId;
    int m_productId;
    libusb_context *m_context = nullptr;
    libusb_device_handle *m_handle = nullptr;
    int m_interface = -1;
    unsigned char m_outEndpoint = 0;
    unsigned char m_inEndpoint = 0;
};

} // namespace stepvane
