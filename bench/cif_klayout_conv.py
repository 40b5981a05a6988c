# Run by klayout in batch mode: klayout -b -r cif_klayout_conv.py -rd src=IN -rd dst=OUT
# What klayout's strm2cif and strm2gds do (their stand-alone programs lack
# their libraries here): read src, write dst in the format of its
# extension. Prints "klayout_conv_s <seconds>" for reading and writing.
import time

import pya

t0 = time.time()
ly = pya.Layout()
ly.read(src)  # noqa: F821
opt = pya.SaveLayoutOptions()
opt.format = "CIF" if dst.lower().endswith(".cif") else "GDS2"  # noqa: F821
ly.write(dst, opt)  # noqa: F821
print("klayout_conv_s %.3f" % (time.time() - t0))
