// Header segments: the marker dispatch of the header loop and the frame,
// DHT, DQT, DRI, APP0 (JFIF), APP14 (Adobe) and scan headers (T.81 B.2,
// JFIF 1.02, Adobe TN 5116). Each field is checked on the line that reads it;
// segments are read byte by byte, which costs nothing at their sizes.
#include "jpeg/decoder.h"
#include "jpeg/tables.h"

namespace Velt {

void Decoder::ReadHeaders()
{
    // SOI first; nothing may precede it (T.81 B.2.1).
    if (source->ReadByte() != 0xFF || source->ReadByte() != 0xD8)
        throw Error();
    for (;;) {
        unsigned char marker = source->NextMarker();
        switch (marker) {
        case 0xC0: // SOF0 baseline
        case 0xC1: // SOF1 extended sequential, Huffman
            ReadFrameHeader();
            break;
        case 0xC4:
            ReadHuffmanTables();
            break;
        case 0xDB:
            ReadQuantTables();
            break;
        case 0xDD:
            ReadRestartInterval();
            break;
        case 0xE0:
            ReadJfif();
            break;
        case 0xEE:
            ReadAdobe();
            break;
        case 0xCC: // DAC: arithmetic conditioning, irrelevant without SOF9+
        case 0xE1: case 0xE2: case 0xE3: case 0xE4: case 0xE5: case 0xE6: case 0xE7:
        case 0xE8: case 0xE9: case 0xEA: case 0xEB: case 0xEC: case 0xED: case 0xEF:
        case 0xFE: // COM
            source->SkipSegment();
            break;
        case 0xDA: // SOS: the scan header is read at the start of decoding
            if (!frameSeen)
                throw Error();
            source->PutBack(0xDA);
            source->PutBack(0xFF);
            return;
        case 0xD9: // EOI
            source->PutBack(0xD9);
            source->PutBack(0xFF);
            return;
        default: // progressive, lossless, arithmetic, hierarchical, RSTn, reserved
            throw Error();
        }
    }
}

void Decoder::ReadFrameHeader()
{
    if (frameSeen)
        throw Error();
    unsigned length = source->ReadWord();
    if (source->ReadByte() != 8) // sample precision P
        throw Error();
    height = int(source->ReadWord());
    width = int(source->ReadWord());
    nf = source->ReadByte();
    if (width == 0 || height == 0 || nf == 0 || nf > 8 || length != 8u + 3u * unsigned(nf))
        throw Error();
    for (int i = 0; i < nf; ++i) {
        Component& c = components[i];
        c.id = source->ReadByte();
        unsigned char hv = source->ReadByte();
        c.h = hv >> 4;
        c.v = hv & 0x0F;
        // T.81 B.2.2 allows 1 to 4; 0 would leave the geometry without a divisor.
        if (c.h == 0 || c.v == 0 || c.h > 4 || c.v > 4)
            throw Error();
        c.tq = source->ReadByte();
        if (c.tq > 3)
            throw Error();
    }
    frameSeen = 1;
}

void Decoder::ReadHuffmanTables()
{
    auto remaining = static_cast<unsigned short>(source->ReadWord() - 2u);
    while (remaining != 0) {
        int tableClass = 0, slot = 0;
        std::unique_ptr<HuffmanTable> table = HuffmanTable::Read(*source, tableClass, slot);
        if (slot > 3)
            throw Error();
        remaining = static_cast<unsigned short>(remaining - table->size);
        (tableClass ? acTables : dcTables)[slot] = std::move(table);
    }
}

void Decoder::ReadQuantTables()
{
    auto remaining = static_cast<unsigned short>(source->ReadWord() - 2u);
    while (remaining != 0) {
        unsigned char pqTq = source->ReadByte();
        auto table = std::make_unique<QuantTable>();
        table->precision = (pqTq >> 4) ? 16 : 8;
        for (int k = 0; k < 64; ++k)
            table->values[kZigzag[k]] =
                static_cast<std::uint16_t>(table->precision == 16 ? source->ReadWord() : source->ReadByte());
        int slot = pqTq & 0x0F;
        if (slot > 3)
            throw Error();
        quantTables[slot] = std::move(table);
        remaining = static_cast<unsigned short>(remaining - (quantTables[slot]->precision == 16 ? 129 : 65));
    }
}

void Decoder::ReadRestartInterval()
{
    if (source->ReadWord() != 4)
        throw Error();
    restartInterval = static_cast<unsigned short>(source->ReadWord());
}

void Decoder::ReadJfif()
{
    auto remaining = static_cast<unsigned short>(source->ReadWord() - 2u);
    if (remaining >= 14) {
        static const unsigned char kId[5] = {0x4A, 0x46, 0x49, 0x46, 0x00}; // "JFIF\0"
        bool match = true;
        for (unsigned char expected : kId)
            match = (source->ReadByte() == expected) && match;
        remaining = static_cast<unsigned short>(remaining - 5);
        if (match) {
            if (jfifSeen)
                throw Error();
            if (source->ReadByte() != 1) // major version
                throw Error();
            source->ReadByte();          // minor version: any
            switch (source->ReadByte()) {
            case 0: densityUnits = 1; break;
            case 1: densityUnits = 2; break;
            case 2: densityUnits = 3; break;
            default: break;
            }
            xDensity = static_cast<unsigned short>(source->ReadWord());
            yDensity = static_cast<unsigned short>(source->ReadWord());
            source->ReadByte(); // thumbnail width
            source->ReadByte(); // thumbnail height
            jfifSeen = 1;
            remaining = static_cast<unsigned short>(remaining - 9);
        }
    }
    while (remaining != 0) {
        source->ReadByte();
        --remaining;
    }
}

void Decoder::ReadAdobe()
{
    if (adobeSeen)
        throw Error();
    auto remaining = static_cast<unsigned short>(source->ReadWord() - 2u);
    if (remaining >= 12) {
        static const unsigned char kId[5] = {0x41, 0x64, 0x6F, 0x62, 0x65}; // "Adobe"
        bool match = true;
        for (unsigned char expected : kId)
            match = (source->ReadByte() == expected) && match;
        remaining = static_cast<unsigned short>(remaining - 5);
        if (match) {
            source->ReadWord(); // version
            source->ReadWord(); // flags 0
            source->ReadWord(); // flags 1
            adobeTransform = source->ReadByte();
            adobeSeen = 1;
            remaining = static_cast<unsigned short>(remaining - 7);
        }
    }
    while (remaining != 0) {
        source->ReadByte();
        --remaining;
    }
}

void Decoder::ReadScanHeader()
{
    // The header loop put back exactly these two bytes (T.81 B.2.3).
    if (source->ReadByte() != 0xFF || source->ReadByte() != 0xDA)
        throw Error();
    unsigned length = source->ReadWord();
    int ns = source->ReadByte();
    if (length != 2u * unsigned(ns) + 6u || ns < 1 || ns > 4)
        throw Error();
    int order[4];
    ScanComponent entries[4];
    for (int j = 0; j < ns; ++j) {
        int id = source->ReadByte();
        int match = -1;
        for (int i = nf - 1; i >= 0; --i) // duplicate ids: the later component wins
            if (components[i].id == id) {
                match = i;
                break;
            }
        if (match < 0)
            throw Error();
        unsigned char tdTa = source->ReadByte();
        int td = tdTa >> 4, ta = tdTa & 0x0F;
        if (td > 3 || ta > 3)
            throw Error();
        order[j] = match;
        const Component& c = components[match];
        entries[j] = {c.firstBlock * 64, c.blocks, j, td, ta};
    }
    source->ReadByte(); // Ss: the full band 0..63 is always decoded
    source->ReadByte(); // Se
    source->ReadByte(); // Ah/Al: no successive approximation
    if (ns != nf)
        throw Error();
    for (int j = 0; j < ns; ++j) {
        Component& c = components[order[j]];
        if (!quantTables[c.tq])
            throw Error();
        BuildDequantTable(*quantTables[c.tq], c.dequant);
    }
    if (ns == 1) {
        const Component& c = components[order[0]];
        scan = std::make_unique<SingleScan>(source, coefficientsPerMcu, c.widthInBlocks, c.heightInBlocks,
                                            c.firstBlock * 64, c.h, c.v, entries[0].dcTable, entries[0].acTable,
                                            dcTables, acTables, restartInterval);
    } else {
        scan = std::make_unique<InterleavedScan>(source, coefficientsPerMcu, mcusPerRow, ns, entries, dcTables,
                                                 acTables, restartInterval);
    }
}

} // namespace Velt
