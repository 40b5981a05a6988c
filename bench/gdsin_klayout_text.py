# klayout's own converter of a GDSII file into its text form, timed inside:
#   klayout -b -r gdsin_klayout_text.py -rd src=IN.gds -rd dst=OUT.txt
import time

import pya

t0 = time.time()
ly = pya.Layout()
ly.read(src)  # noqa: F821
opt = pya.SaveLayoutOptions()
opt.format = "GDS2Text"
ly.write(dst, opt)  # noqa: F821
print("klayout_text_s %.3f" % (time.time() - t0))
