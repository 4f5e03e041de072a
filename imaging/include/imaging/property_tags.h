#pragma once

// The property tags the service knows: one list of ids and the names the platform gives them
// (its PropertyTag... constants without the prefix, odd spellings included: "TransferFuncition",
// "GpsGpsTime", "ThumbnailCopyRight"), in ascending order of id. Each row becomes a named
// constant here (PropertyTagOrientation, PropertyTagExifColorSpace, ...), which every reader
// uses instead of a bare number, and a row of the report's tag-name table, so that an id and
// its name cannot drift apart.

#include "imaging/gdiplus_types.h"

// VELTRA_PROPERTY_TAGS(TAG) calls TAG(id, Name) once per named tag.
#define VELTRA_PROPERTY_TAGS(TAG) \
    /* GPS directory. */ \
    TAG(0x0000, GpsVer) \
    TAG(0x0001, GpsLatitudeRef) \
    TAG(0x0002, GpsLatitude) \
    TAG(0x0003, GpsLongitudeRef) \
    TAG(0x0004, GpsLongitude) \
    TAG(0x0005, GpsAltitudeRef) \
    TAG(0x0006, GpsAltitude) \
    TAG(0x0007, GpsGpsTime) \
    TAG(0x0008, GpsGpsSatellites) \
    TAG(0x0009, GpsGpsStatus) \
    TAG(0x000A, GpsGpsMeasureMode) \
    TAG(0x000B, GpsGpsDop) \
    TAG(0x000C, GpsSpeedRef) \
    TAG(0x000D, GpsSpeed) \
    TAG(0x000E, GpsTrackRef) \
    TAG(0x000F, GpsTrack) \
    TAG(0x0010, GpsImgDirRef) \
    TAG(0x0011, GpsImgDir) \
    TAG(0x0012, GpsMapDatum) \
    TAG(0x0013, GpsDestLatRef) \
    TAG(0x0014, GpsDestLat) \
    TAG(0x0015, GpsDestLongRef) \
    TAG(0x0016, GpsDestLong) \
    TAG(0x0017, GpsDestBearRef) \
    TAG(0x0018, GpsDestBear) \
    TAG(0x0019, GpsDestDistRef) \
    TAG(0x001A, GpsDestDist) \
    TAG(0x001B, GpsProcessingMethod) \
    TAG(0x001C, GpsAreaInformation) \
    TAG(0x001D, GpsDate) \
    TAG(0x001E, GpsDifferential) \
    /* TIFF image directory. */ \
    TAG(0x00FE, NewSubfileType) \
    TAG(0x00FF, SubfileType) \
    TAG(0x0100, ImageWidth) \
    TAG(0x0101, ImageHeight) \
    TAG(0x0102, BitsPerSample) \
    TAG(0x0103, Compression) \
    TAG(0x0106, PhotometricInterp) \
    TAG(0x0107, ThreshHolding) \
    TAG(0x0108, CellWidth) \
    TAG(0x0109, CellHeight) \
    TAG(0x010A, FillOrder) \
    TAG(0x010D, DocumentName) \
    TAG(0x010E, ImageDescription) \
    TAG(0x010F, EquipMake) \
    TAG(0x0110, EquipModel) \
    TAG(0x0111, StripOffsets) \
    TAG(0x0112, Orientation) \
    TAG(0x0115, SamplesPerPixel) \
    TAG(0x0116, RowsPerStrip) \
    TAG(0x0117, StripBytesCount) \
    TAG(0x0118, MinSampleValue) \
    TAG(0x0119, MaxSampleValue) \
    TAG(0x011A, XResolution) \
    TAG(0x011B, YResolution) \
    TAG(0x011C, PlanarConfig) \
    TAG(0x011D, PageName) \
    TAG(0x011E, XPosition) \
    TAG(0x011F, YPosition) \
    TAG(0x0120, FreeOffset) \
    TAG(0x0121, FreeByteCounts) \
    TAG(0x0122, GrayResponseUnit) \
    TAG(0x0123, GrayResponseCurve) \
    TAG(0x0124, T4Option) \
    TAG(0x0125, T6Option) \
    TAG(0x0128, ResolutionUnit) \
    TAG(0x0129, PageNumber) \
    TAG(0x012D, TransferFuncition) \
    TAG(0x0131, SoftwareUsed) \
    TAG(0x0132, DateTime) \
    TAG(0x013B, Artist) \
    TAG(0x013C, HostComputer) \
    TAG(0x013D, Predictor) \
    TAG(0x013E, WhitePoint) \
    TAG(0x013F, PrimaryChromaticities) \
    TAG(0x0140, ColorMap) \
    TAG(0x0141, HalftoneHints) \
    TAG(0x0142, TileWidth) \
    TAG(0x0143, TileLength) \
    TAG(0x0144, TileOffset) \
    TAG(0x0145, TileByteCounts) \
    TAG(0x014C, InkSet) \
    TAG(0x014D, InkNames) \
    TAG(0x014E, NumberOfInks) \
    TAG(0x0150, DotRange) \
    TAG(0x0151, TargetPrinter) \
    TAG(0x0152, ExtraSamples) \
    TAG(0x0153, SampleFormat) \
    TAG(0x0154, SMinSampleValue) \
    TAG(0x0155, SMaxSampleValue) \
    TAG(0x0156, TransferRange) \
    TAG(0x0200, JPEGProc) \
    TAG(0x0201, JPEGInterFormat) \
    TAG(0x0202, JPEGInterLength) \
    TAG(0x0203, JPEGRestartInterval) \
    TAG(0x0205, JPEGLosslessPredictors) \
    TAG(0x0206, JPEGPointTransforms) \
    TAG(0x0207, JPEGQTables) \
    TAG(0x0208, JPEGDCTables) \
    TAG(0x0209, JPEGACTables) \
    TAG(0x0211, YCbCrCoefficients) \
    TAG(0x0212, YCbCrSubsampling) \
    TAG(0x0213, YCbCrPositioning) \
    TAG(0x0214, REFBlackWhite) \
    TAG(0x0301, Gamma) \
    TAG(0x0302, ICCProfileDescriptor) \
    TAG(0x0303, SRGBRenderingIntent) \
    TAG(0x0320, ImageTitle) \
    /* Printing, thumbnail, JPEG table and GIF/PNG properties that the service itself defines. */ \
    TAG(0x5001, ResolutionXUnit) \
    TAG(0x5002, ResolutionYUnit) \
    TAG(0x5003, ResolutionXLengthUnit) \
    TAG(0x5004, ResolutionYLengthUnit) \
    TAG(0x5005, PrintFlags) \
    TAG(0x5006, PrintFlagsVersion) \
    TAG(0x5007, PrintFlagsCrop) \
    TAG(0x5008, PrintFlagsBleedWidth) \
    TAG(0x5009, PrintFlagsBleedWidthScale) \
    TAG(0x500A, HalftoneLPI) \
    TAG(0x500B, HalftoneLPIUnit) \
    TAG(0x500C, HalftoneDegree) \
    TAG(0x500D, HalftoneShape) \
    TAG(0x500E, HalftoneMisc) \
    TAG(0x500F, HalftoneScreen) \
    TAG(0x5010, JPEGQuality) \
    TAG(0x5011, GridSize) \
    TAG(0x5012, ThumbnailFormat) \
    TAG(0x5013, ThumbnailWidth) \
    TAG(0x5014, ThumbnailHeight) \
    TAG(0x5015, ThumbnailColorDepth) \
    TAG(0x5016, ThumbnailPlanes) \
    TAG(0x5017, ThumbnailRawBytes) \
    TAG(0x5018, ThumbnailSize) \
    TAG(0x5019, ThumbnailCompressedSize) \
    TAG(0x501A, ColorTransferFunction) \
    TAG(0x501B, ThumbnailData) \
    TAG(0x5020, ThumbnailImageWidth) \
    TAG(0x5021, ThumbnailImageHeight) \
    TAG(0x5022, ThumbnailBitsPerSample) \
    TAG(0x5023, ThumbnailCompression) \
    TAG(0x5024, ThumbnailPhotometricInterp) \
    TAG(0x5025, ThumbnailImageDescription) \
    TAG(0x5026, ThumbnailEquipMake) \
    TAG(0x5027, ThumbnailEquipModel) \
    TAG(0x5028, ThumbnailStripOffsets) \
    TAG(0x5029, ThumbnailOrientation) \
    TAG(0x502A, ThumbnailSamplesPerPixel) \
    TAG(0x502B, ThumbnailRowsPerStrip) \
    TAG(0x502C, ThumbnailStripBytesCount) \
    TAG(0x502D, ThumbnailResolutionX) \
    TAG(0x502E, ThumbnailResolutionY) \
    TAG(0x502F, ThumbnailPlanarConfig) \
    TAG(0x5030, ThumbnailResolutionUnit) \
    TAG(0x5031, ThumbnailTransferFunction) \
    TAG(0x5032, ThumbnailSoftwareUsed) \
    TAG(0x5033, ThumbnailDateTime) \
    TAG(0x5034, ThumbnailArtist) \
    TAG(0x5035, ThumbnailWhitePoint) \
    TAG(0x5036, ThumbnailPrimaryChromaticities) \
    TAG(0x5037, ThumbnailYCbCrCoefficients) \
    TAG(0x5038, ThumbnailYCbCrSubsampling) \
    TAG(0x5039, ThumbnailYCbCrPositioning) \
    TAG(0x503A, ThumbnailRefBlackWhite) \
    TAG(0x503B, ThumbnailCopyRight) \
    TAG(0x5090, LuminanceTable) \
    TAG(0x5091, ChrominanceTable) \
    TAG(0x5100, FrameDelay) \
    TAG(0x5101, LoopCount) \
    TAG(0x5110, PixelUnit) \
    TAG(0x5111, PixelPerUnitX) \
    TAG(0x5112, PixelPerUnitY) \
    TAG(0x5113, PaletteHistogram) \
    /* Copyright and the Exif directory. */ \
    TAG(0x8298, Copyright) \
    TAG(0x829A, ExifExposureTime) \
    TAG(0x829D, ExifFNumber) \
    TAG(0x8769, ExifIFD) \
    TAG(0x8773, ICCProfile) \
    TAG(0x8822, ExifExposureProg) \
    TAG(0x8824, ExifSpectralSense) \
    TAG(0x8825, GpsIFD) \
    TAG(0x8827, ExifISOSpeed) \
    TAG(0x8828, ExifOECF) \
    TAG(0x9000, ExifVer) \
    TAG(0x9003, ExifDTOrig) \
    TAG(0x9004, ExifDTDigitized) \
    TAG(0x9101, ExifCompConfig) \
    TAG(0x9102, ExifCompBPP) \
    TAG(0x9201, ExifShutterSpeed) \
    TAG(0x9202, ExifAperture) \
    TAG(0x9203, ExifBrightness) \
    TAG(0x9204, ExifExposureBias) \
    TAG(0x9205, ExifMaxAperture) \
    TAG(0x9206, ExifSubjectDist) \
    TAG(0x9207, ExifMeteringMode) \
    TAG(0x9208, ExifLightSource) \
    TAG(0x9209, ExifFlash) \
    TAG(0x920A, ExifFocalLength) \
    TAG(0x9214, ExifSubjectArea) \
    TAG(0x927C, ExifMakerNote) \
    TAG(0x9286, ExifUserComment) \
    TAG(0x9290, ExifDTSubsec) \
    TAG(0x9291, ExifDTOrigSS) \
    TAG(0x9292, ExifDTDigSS) \
    TAG(0xA000, ExifFPXVer) \
    TAG(0xA001, ExifColorSpace) \
    TAG(0xA002, ExifPixXDim) \
    TAG(0xA003, ExifPixYDim) \
    TAG(0xA004, ExifRelatedWav) \
    TAG(0xA005, ExifInterop) \
    TAG(0xA20B, ExifFlashEnergy) \
    TAG(0xA20C, ExifSpatialFR) \
    TAG(0xA20E, ExifFocalXRes) \
    TAG(0xA20F, ExifFocalYRes) \
    TAG(0xA210, ExifFocalResUnit) \
    TAG(0xA214, ExifSubjectLoc) \
    TAG(0xA215, ExifExposureIndex) \
    TAG(0xA217, ExifSensingMethod) \
    TAG(0xA300, ExifFileSource) \
    TAG(0xA301, ExifSceneType) \
    TAG(0xA302, ExifCfaPattern) \
    TAG(0xA401, ExifCustomRendered) \
    TAG(0xA402, ExifExposureMode) \
    TAG(0xA403, ExifWhiteBalance) \
    TAG(0xA404, ExifDigitalZoomRatio) \
    TAG(0xA405, ExifFocalLengthIn35mmFilm) \
    TAG(0xA406, ExifSceneCaptureType) \
    TAG(0xA407, ExifGainControl) \
    TAG(0xA408, ExifContrast) \
    TAG(0xA409, ExifSaturation) \
    TAG(0xA40A, ExifSharpness) \
    TAG(0xA40B, ExifDeviceSettingDesc) \
    TAG(0xA40C, ExifSubjectDistanceRange) \
    TAG(0xA420, ExifUniqueImageID)

namespace veltra::imaging {

#define VELTRA_DECLARE_PROPERTY_TAG(id, name) inline constexpr PROPID PropertyTag##name = id;
VELTRA_PROPERTY_TAGS(VELTRA_DECLARE_PROPERTY_TAG)
#undef VELTRA_DECLARE_PROPERTY_TAG

// Items the service lists that the platform's table leaves without a name (the report shows
// their number): a GIF's global palette, its background colour index and the first frame's
// transparent colour index.
inline constexpr PROPID PropertyTagGlobalPalette = 0x5102;
inline constexpr PROPID PropertyTagIndexBackground = 0x5103;
inline constexpr PROPID PropertyTagIndexTransparent = 0x5104;

}  // namespace veltra::imaging
